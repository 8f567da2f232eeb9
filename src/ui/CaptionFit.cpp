#include "ui/CaptionFit.h"

#include <algorithm>

namespace qm {

CaptionFit FitCaption(double points, const CaptionFits& fits) {
  double size = points;
  while (!fits(size, 100)) {
    if (size <= kMinCaptionPoints) {
      for (int percent = 100 - kCaptionWidthStep; percent >= kMinCaptionWidthPercent; percent -= kCaptionWidthStep) {
        if (fits(size, percent)) return {size, percent, true};
      }
      return {size, kMinCaptionWidthPercent, false};
    }
    size = std::max(kMinCaptionPoints, size - kCaptionPointStep);
  }
  return {size, 100, true};
}

}  // namespace qm
