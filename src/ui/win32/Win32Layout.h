#pragma once
// Builds the controls of a window from its WindowSpec: one child window per
// control, parented to its container (the top-level window for the client
// area), placed at its twips converted to pixels at the system's DPI, in the
// table's font (smaller, then narrower, where a caption would not fit: see
// ui/CaptionFit.h) and colour, with the table's caption and icon. Each control
// carries its id (kFirstControlId + its row in the table) and its name
// (ObjectName) as the window property kNameProperty. Tab moves the focus in
// tab-index order across containers, as the table numbers it.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Layout.h"
#include "ui/win32/Owned.h"

namespace qm {

class Win32Layout {
 public:
  static constexpr int kFirstControlId = 1000;
  // Property holding a control's name, and the top-level window's, as a C string.
  static constexpr const char* kNameProperty = "QmName";

  // Creates the controls inside `window`, which must outlive this object.
  Win32Layout(const WindowSpec& spec, HWND window);
  ~Win32Layout();
  Win32Layout(const Win32Layout&) = delete;
  Win32Layout& operator=(const Win32Layout&) = delete;

  // Dots per inch of the screen: the scale of every layout.
  static int SystemDpi();
  // Twips to pixels at `dpi`, rounded.
  static int Pixels(int twips, int dpi);
  int Pixels(int twips) const { return Pixels(twips, dpi_); }

  const WindowSpec& spec() const { return spec_; }
  int dpi() const { return dpi_; }

  // The window built for a control; nullptr for components without one.
  HWND Control(std::string_view name, int index = kNoIndex) const;
  // The table row of a control of this window; nullptr for any other window.
  const ControlSpec* SpecOf(HWND control) const;

  // A label's text colour (0x00BBGGRR) and underline; redrawn at once.
  void SetLabelLook(HWND label, std::uint32_t color, bool underline);
  // The answer to WM_CTLCOLORSTATIC: the control's text colour on the window's surface.
  HBRUSH ControlColor(HDC dc, HWND control) const;

  // The control that takes the focus first: the lowest tab index that can.
  HWND FirstFocus() const;
  // Moves the focus to the next (previous) control in tab-index order that can
  // take it, wrapping round. False when the focus is not in this window.
  bool MoveFocus(bool backwards) const;

  // Moves the window where its table places it: centred over `owner` or on the
  // screen's work area; the system default leaves it where it is.
  void Place(HWND owner) const;

 private:
  struct Built {
    const ControlSpec* spec;
    HWND hwnd;
    std::string name;
    std::uint32_t color;
    bool underline;
    FontSpec font;     // the table's, at the size its caption fits
    int widthPercent;  // of the face's own character width
    OwnedIcon icon;
  };
  struct Font {
    FontSpec spec;
    bool underline;
    int widthPercent;
    OwnedFont font;
  };

  HWND Create(const ControlSpec& control, int id, HWND container);
  HFONT FontFor(const FontSpec& spec, bool underline, int widthPercent);
  // Gives a label's or button's caption the size and width at which it fits.
  void FitFont(const ControlSpec& control, const std::string& ansi, Built& entry);
  const Built* Find(HWND control) const;
  bool CanFocus(HWND control) const;
  // The built controls that take the focus, in tab order.
  std::vector<const Built*> FocusChain() const;

  const WindowSpec& spec_;
  HWND window_;
  int dpi_;
  std::string windowName_;
  std::vector<Built> built_;
  std::vector<std::unique_ptr<Font>> fonts_;
};

}  // namespace qm
