#pragma once
// Window layouts as data: every control's name, array index, kind, container,
// caption, place and size in twips, tab index and font. Both front ends build
// their windows from these tables; nothing else holds a geometry.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/Grid.h"

namespace qm {

enum class ControlKind { Frame, Grid, PushButton, Label, ProgressBar, TextBox, Image, FileDialog };
enum class TextAlign { Left, Center };
enum class IconId { None, App, Add, Remove, Start, Info, Web, Mail };

struct FontSpec {
  std::string_view face;
  double points;
  bool bold;
};

inline constexpr FontSpec kDefaultFont{"MS Sans Serif", 8.25, false};
inline constexpr std::uint32_t kDefaultColor = 0xFFFFFFFFu;  // the system's colour
inline constexpr std::uint32_t kNavy = 0x800000u;            // 0x00BBGGRR
inline constexpr std::uint32_t kRed = 0x0000FFu;
inline constexpr int kNoIndex = -1;
inline constexpr int kNoTab = -1;

struct ControlSpec {
  std::string_view name;
  int index;                   // kNoIndex unless a member of a control array
  ControlKind kind;
  std::string_view container;  // empty: the window's client area
  std::string_view caption;
  int left, top, width, height;  // twips, from the container's top-left corner
  int tabIndex;                  // kNoTab for components without one
  FontSpec font = kDefaultFont;
  TextAlign align = TextAlign::Left;
  IconId icon = IconId::None;
  std::uint32_t color = kDefaultColor;
};

enum class Placement { SystemDefault, CenterOwner, CenterScreen };

struct WindowSpec {
  std::string_view name;
  std::string_view caption;
  int clientWidth, clientHeight;  // twips
  Placement placement;
  IconId icon;
  std::span<const ControlSpec> controls;

  // The control with this name and index, or nullptr.
  const ControlSpec* Find(std::string_view name, int index = kNoIndex) const;
};

// "name" for a single control, "name_index" for a member of a control array.
std::string ObjectName(const ControlSpec& control);

// Twips to pixels at `dpi` dots per inch (15 twips a pixel at 96), rounded
// to the nearest pixel as the system's own conversion does.
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>((scaled + (scaled < 0 ? -720 : 720)) / 1440);
}

// Whether a control of this kind can hold the keyboard focus.
constexpr bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::TextBox || kind == ControlKind::Grid;
}

// The controls that take the focus, in tab order.
std::vector<const ControlSpec*> TabChain(std::span<const ControlSpec> controls);

// The colour of a marked row's first cell, 0x00BBGGRR; kDefaultColor for an
// unmarked row.
constexpr std::uint32_t MarkColor(RowMark mark) {
  switch (mark) {
    case RowMark::Succeeded: return 0xBEEBBEu;
    case RowMark::Failed: return 0xB9B9F5u;
    case RowMark::Cancelled: return 0xCDCDCDu;
    case RowMark::None: break;
  }
  return kDefaultColor;
}

}  // namespace qm
