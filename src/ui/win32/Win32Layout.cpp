#include "ui/win32/Win32Layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/CaptionFit.h"
#include "ui/win32/FrameWindow.h"
#include "ui/win32/Icons.h"
#include "ui/win32/WindowText.h"

namespace qm {
namespace {

constexpr int kButtonIconSize = 16;

struct ClassAndStyle {
  const char* windowClass;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassOf(const ControlSpec& control) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (control.kind) {
    case ControlKind::Frame:
      return {kFrameClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Grid:
      return {WC_LISTVIEWA,
              kChild | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
      return {"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Label:
      // SS_NOTIFY: labels report clicks (the About dialog closes on them).
      return {"STATIC",
              kChild | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE |
                  (control.align == TextAlign::Center ? SS_CENTER : SS_LEFT),
              0};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSA, kChild | PBS_SMOOTH, 0};
    case ControlKind::TextBox:
      return {"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Image:
      // SS_NOTIFY keeps a click on the image from falling through to the frame.
      return {"STATIC", kChild | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0};
    case ControlKind::FileDialog:
      break;
  }
  return {nullptr, 0, 0};
}

LONG AverageCharWidth(HFONT font) {
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, font);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(screen, &metrics);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  return metrics.tmAveCharWidth;
}

SIZE TextSize(HFONT font, const std::string& ansi) {
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, font);
  SIZE size{};
  ::GetTextExtentPoint32A(screen, ansi.c_str(), static_cast<int>(ansi.size()), &size);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  return size;
}

}  // namespace

int Win32Layout::SystemDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int Win32Layout::Pixels(int twips, int dpi) { return TwipsToPixels(twips, dpi); }

Win32Layout::Win32Layout(const WindowSpec& spec, HWND window)
    : spec_(spec), window_(window), dpi_(SystemDpi()), windowName_(spec.name) {
  RegisterFrameClass();
  ::SetPropA(window_, kNameProperty, const_cast<char*>(windowName_.c_str()));
  built_.reserve(spec_.controls.size());  // the name properties point into the entries
  // Client-area controls first, so every frame exists before its children.
  for (bool clientArea : {true, false}) {
    for (std::size_t row = 0; row < spec_.controls.size(); ++row) {
      const ControlSpec& control = spec_.controls[row];
      if (control.container.empty() != clientArea) continue;
      HWND container = clientArea ? window_ : Control(control.container);
      if (!container) container = window_;
      const int id = kFirstControlId + static_cast<int>(row);
      built_.push_back({&control, nullptr, ObjectName(control), control.color, false, control.font, 100, OwnedIcon()});
      Built& entry = built_.back();
      entry.hwnd = Create(control, id, container);
      if (entry.hwnd) ::SetPropA(entry.hwnd, kNameProperty, const_cast<char*>(entry.name.c_str()));
    }
  }
  // Labels lie beneath their siblings, as windowless labels do: where a table
  // lets a label overlap a progress bar by a pixel, the bar's border shows.
  for (const Built& entry : built_) {
    if (entry.hwnd && entry.spec->kind == ControlKind::Label)
      ::SetWindowPos(entry.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

Win32Layout::~Win32Layout() {
  for (const Built& entry : built_) {
    if (entry.hwnd && ::IsWindow(entry.hwnd)) ::RemovePropA(entry.hwnd, kNameProperty);
  }
  if (::IsWindow(window_)) ::RemovePropA(window_, kNameProperty);
}

HWND Win32Layout::Create(const ControlSpec& control, int id, HWND container) {
  const ClassAndStyle kind = ClassOf(control);
  if (!kind.windowClass) return nullptr;
  const std::string caption = ToAnsi(control.caption);
  HWND hwnd = ::CreateWindowExA(kind.exStyle, kind.windowClass, caption.c_str(), kind.style, Pixels(control.left),
                                Pixels(control.top), Pixels(control.width), Pixels(control.height), container,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                nullptr);
  if (!hwnd) return nullptr;
  Built& entry = built_.back();
  FitFont(control, caption, entry);
  ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(entry.font, false, entry.widthPercent)), FALSE);

  switch (control.kind) {
    case ControlKind::PushButton:
      entry.icon = LoadProgramIcon(control.icon, MulDiv(kButtonIconSize, dpi_, 96));
      if (entry.icon.valid())
        ::SendMessageA(hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(entry.icon.get()));
      break;
    case ControlKind::Image:
      // Drawn at its natural size: the table gives the image's own square.
      entry.icon = LoadProgramIcon(control.icon, Pixels(control.width));
      if (entry.icon.valid()) ::SendMessageA(hwnd, STM_SETICON, reinterpret_cast<WPARAM>(entry.icon.get()), 0);
      // A static resizes itself to its icon; the table's place wins.
      ::SetWindowPos(hwnd, nullptr, Pixels(control.left), Pixels(control.top), Pixels(control.width),
                     Pixels(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case ControlKind::ProgressBar:
      ::SendMessageA(hwnd, PBM_SETRANGE32, 0, 100);
      ::SendMessageA(hwnd, PBM_SETPOS, 0, 0);
      break;
    default:
      break;
  }
  return hwnd;
}

HFONT Win32Layout::FontFor(const FontSpec& spec, bool underline, int widthPercent) {
  for (const auto& font : fonts_) {
    if (font->spec.face == spec.face && font->spec.points == spec.points && font->spec.bold == spec.bold &&
        font->underline == underline && font->widthPercent == widthPercent)
      return font->font.get();
  }
  LOGFONTA description{};
  description.lfHeight = -::MulDiv(static_cast<int>(spec.points * 100 + 0.5), dpi_, 7200);
  if (widthPercent != 100) {
    description.lfWidth = std::max(1L, AverageCharWidth(FontFor(spec, false, 100)) * widthPercent / 100);
  }
  description.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  description.lfUnderline = underline ? TRUE : FALSE;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfQuality = DEFAULT_QUALITY;
  const std::size_t length = std::min(spec.face.size(), sizeof description.lfFaceName - 1);
  std::memcpy(description.lfFaceName, spec.face.data(), length);
  auto font = std::make_unique<Font>(
      Font{spec, underline, widthPercent, OwnedFont(::CreateFontIndirectA(&description))});
  HFONT handle = font->font.get();
  fonts_.push_back(std::move(font));
  return handle;
}

HWND Win32Layout::Control(std::string_view name, int index) const {
  for (const Built& entry : built_) {
    if (entry.spec->name == name && entry.spec->index == index) return entry.hwnd;
  }
  return nullptr;
}

const Win32Layout::Built* Win32Layout::Find(HWND control) const {
  if (!control) return nullptr;
  for (const Built& entry : built_) {
    if (entry.hwnd == control) return &entry;
  }
  return nullptr;
}

void Win32Layout::FitFont(const ControlSpec& control, const std::string& ansi, Built& entry) {
  // The face the system puts in for the table's may be wider than the one
  // the layout was drawn for. A button's caption shares its room with the
  // icon, a gap on each side and the edges.
  if (ansi.empty() || (control.kind != ControlKind::Label && control.kind != ControlKind::PushButton)) return;
  int room = Pixels(control.width);
  if (control.kind == ControlKind::PushButton)
    room -= 2 * ::GetSystemMetrics(SM_CXEDGE) + 4 + MulDiv(kButtonIconSize, dpi_, 96) + 4;
  const CaptionFit fit = FitCaption(control.font.points, [&](double points, int widthPercent) {
    const SIZE size = TextSize(FontFor({control.font.face, points, control.font.bold}, false, widthPercent), ansi);
    return size.cx <= room && size.cy <= Pixels(control.height);
  });
  entry.font.points = fit.points;
  entry.widthPercent = fit.widthPercent;
}

const ControlSpec* Win32Layout::SpecOf(HWND control) const {
  const Built* entry = Find(control);
  return entry ? entry->spec : nullptr;
}

void Win32Layout::SetLabelLook(HWND label, std::uint32_t color, bool underline) {
  for (Built& entry : built_) {
    if (entry.hwnd != label) continue;
    if (entry.color == color && entry.underline == underline) return;
    entry.color = color;
    entry.underline = underline;
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(entry.font, underline, entry.widthPercent)),
                   FALSE);
    ::InvalidateRect(label, nullptr, TRUE);
    ::UpdateWindow(label);
    return;
  }
}

HBRUSH Win32Layout::ControlColor(HDC dc, HWND control) const {
  const Built* entry = Find(control);
  // The table's colours are COLORREF values already (0x00BBGGRR).
  ::SetTextColor(dc, entry && entry->color != kDefaultColor ? entry->color : ::GetSysColor(COLOR_BTNTEXT));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::SetBkMode(dc, TRANSPARENT);
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

bool Win32Layout::CanFocus(HWND control) const {
  for (HWND w = control; w && w != window_; w = ::GetParent(w)) {
    if (!::IsWindowVisible(w) || !::IsWindowEnabled(w)) return false;
  }
  return control != nullptr;
}

std::vector<const Win32Layout::Built*> Win32Layout::FocusChain() const {
  std::vector<const Built*> chain;
  for (const ControlSpec* control : TabChain(spec_.controls)) {
    for (const Built& entry : built_) {
      if (entry.spec == control && entry.hwnd) chain.push_back(&entry);
    }
  }
  return chain;
}

HWND Win32Layout::FirstFocus() const {
  for (const Built* entry : FocusChain()) {
    if (CanFocus(entry->hwnd)) return entry->hwnd;
  }
  return nullptr;
}

bool Win32Layout::MoveFocus(bool backwards) const {
  HWND focus = ::GetFocus();
  if (!focus || (focus != window_ && !::IsChild(window_, focus))) return false;
  const std::vector<const Built*> chain = FocusChain();
  if (chain.empty()) return false;
  const int count = static_cast<int>(chain.size());
  int at = backwards ? 0 : -1;  // no control holds the focus: start from the first (last)
  for (int i = 0; i < count; ++i) {
    if (chain[i]->hwnd == focus || ::IsChild(chain[i]->hwnd, focus)) at = i;
  }
  for (int step = 1; step <= count; ++step) {
    const Built* next = chain[((at + (backwards ? -step : step)) % count + count) % count];
    if (!CanFocus(next->hwnd)) continue;
    ::SetFocus(next->hwnd);
    if (next->spec->kind == ControlKind::TextBox) ::SendMessageA(next->hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  return true;
}

void Win32Layout::Place(HWND owner) const {
  RECT area{};
  switch (spec_.placement) {
    case Placement::SystemDefault:
      return;
    case Placement::CenterOwner:
      if (owner && ::GetWindowRect(owner, &area)) break;
      [[fallthrough]];
    case Placement::CenterScreen:
      ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
      break;
  }
  RECT frame;
  ::GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qm
