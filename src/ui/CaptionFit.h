#pragma once
// How a caption is drawn where the face a machine puts in for the table's is
// wider than the designed one: first smaller, only as far as it needs, never
// below a readable size; then narrower. Both front ends use this rule with
// their own measure.

#include <functional>

namespace qm {

inline constexpr double kMinCaptionPoints = 7.0;
inline constexpr double kCaptionPointStep = 0.25;
inline constexpr int kMinCaptionWidthPercent = 75;  // of the face's own width
inline constexpr int kCaptionWidthStep = 5;

struct CaptionFit {
  double points;
  int widthPercent;
  bool fits;  // false: nothing tried fits; the smallest, narrowest is given
};

// Whether the caption fits its room drawn at `points` and `widthPercent`.
using CaptionFits = std::function<bool(double points, int widthPercent)>;

// The table's size when the caption fits there; else the largest size a
// quarter point at a time down to kMinCaptionPoints at which it fits; else,
// at that size, the widest width down to kMinCaptionWidthPercent. Each step
// is measured, as a face may not narrow (or shrink) as asked.
CaptionFit FitCaption(double points, const CaptionFits& fits);

}  // namespace qm
