#pragma once
// The designed place, caption and look of every control of the three
// windows, in pixels at 96 dots per inch: what both front ends' layout tests
// hold their built windows against.

#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "dialogs/About.h"
#include "dialogs/DialogLayouts.h"
#include "ui/Layout.h"

namespace qm::test {

struct DesignedControl {
  const char* window;
  const char* name;
  int index;
  const char* parent;
  int left, top, width, height;
  const char* windowClass;  // the Win32 class
  const char* text;         // nullptr: the control shows no caption
  double points = 8.25;
  bool bold = false;
  bool navy = false;  // text colour 0x800000 (BBGGRR); else the system's
};

// The object name a layout gives a control: "btnAggiungi_0", "MainGrid".
inline std::string ObjectNameOf(const char* name, int index) {
  return index == kNoIndex ? name : std::string(name) + "_" + std::to_string(index);
}

inline const WindowSpec& SpecOf(std::string_view window) {
  if (window == "frmMain") return MainWindowLayout();
  return window == "frmSetCHS" ? SetChsLayout() : InfoLayout();
}

inline const DesignedControl kDesignedControls[] = {
    {"frmMain", "fraToolbar", kNoIndex, "frmMain", 8, 0, 481, 52, "QuillmereFrame", nullptr},
    {"frmMain", "MainGrid", kNoIndex, "frmMain", 8, 56, 481, 217, "SysListView32", nullptr},
    {"frmMain", "Frame2", kNoIndex, "frmMain", 8, 272, 481, 97, "QuillmereFrame", nullptr},
    {"frmMain", "Frame1", kNoIndex, "frmMain", 8, 368, 481, 52, "QuillmereFrame", nullptr},
    {"frmMain", "btnAggiungi", 0, "fraToolbar", 8, 8, 81, 41, "Button", "Update"},
    {"frmMain", "btnAggiungi", 1, "fraToolbar", 96, 8, 81, 41, "Button", "Merge"},
    {"frmMain", "btnAggiungi", 2, "fraToolbar", 184, 8, 81, 41, "Button", "Set CHS"},
    {"frmMain", "btnRimuovi", kNoIndex, "fraToolbar", 384, 8, 89, 41, "Button", "Rimuovi"},
    {"frmMain", "Label1", 0, "Frame2", 8, 16, 81, 17, "Static", "Azione corrente :"},
    {"frmMain", "lblOperazione", kNoIndex, "Frame2", 96, 16, 377, 17, "Static", ""},
    {"frmMain", "pbCurrent", kNoIndex, "Frame2", 8, 32, 465, 17, "msctls_progress32", nullptr},
    {"frmMain", "Label1", 1, "Frame2", 8, 56, 137, 17, "Static", "Lavoro corrente"},
    {"frmMain", "pbTotal", kNoIndex, "Frame2", 8, 72, 465, 17, "msctls_progress32", nullptr},
    {"frmMain", "btnInfo", kNoIndex, "Frame1", 8, 8, 81, 41, "Button", "Info"},
    {"frmMain", "btnAnnulla", kNoIndex, "Frame1", 288, 8, 81, 41, "Button", "Annulla"},
    {"frmMain", "btnComprimi", kNoIndex, "Frame1", 384, 8, 89, 41, "Button", "Avvia"},
    {"frmSetCHS", "Frame1", kNoIndex, "frmSetCHS", 8, 0, 225, 129, "QuillmereFrame", nullptr},
    {"frmSetCHS", "Label1", 0, "Frame1", 16, 24, 49, 17, "Static", "Cylinders"},
    {"frmSetCHS", "Label1", 1, "Frame1", 88, 24, 49, 17, "Static", "Heads"},
    {"frmSetCHS", "Label1", 2, "Frame1", 160, 24, 49, 17, "Static", "Sectors"},
    {"frmSetCHS", "txtC", kNoIndex, "Frame1", 16, 39, 49, 19, "Edit", ""},
    {"frmSetCHS", "txtH", kNoIndex, "Frame1", 88, 39, 49, 19, "Edit", ""},
    {"frmSetCHS", "txtS", kNoIndex, "Frame1", 160, 39, 49, 19, "Edit", ""},
    {"frmSetCHS", "btnSetCHS", kNoIndex, "Frame1", 16, 80, 193, 41, "Button", "Conferma"},
    {"frmInfo", "Frame1", kNoIndex, "frmInfo", 8, 0, 361, 193, "QuillmereFrame", nullptr},
    {"frmInfo", "lblInt", 0, "Frame1", 67, 24, 226, 20, "Static", about::kCredit.data(), 12, true, true},
    {"frmInfo", "lblInt", 2, "Frame1", 24, 64, 308, 13, "Static", "Per Contattarmi:", 8.25, true, true},
    {"frmInfo", "imgWeb", 3, "Frame1", 88, 96, 32, 32, "Static", nullptr},
    {"frmInfo", "lblWeb", 0, "Frame1", 136, 104, 110, 13, "Static", about::kWebAddress.data(), 8.25, true, true},
    {"frmInfo", "imgWeb", 0, "Frame1", 88, 136, 32, 32, "Static", nullptr},
    {"frmInfo", "lblWeb", 1, "Frame1", 136, 144, 131, 13, "Static", about::kMailAddress.data(), 8.25, true, true},
};

// The window's client size and caption, and the focus chain (the first holds
// the focus when the window opens; empty: no control takes it).
struct DesignedWindow {
  const char* window;
  int width, height;
  const char* caption;
  bool icon;
  std::vector<std::string> tabChain;
};

// Needs QM_TEST_VERSION, the project's version.
inline const DesignedWindow kDesignedWindows[] = {
    {"frmMain", 496, 427, "Quillmere", true,
     {"MainGrid", "btnAggiungi_0", "btnRimuovi", "btnAggiungi_1", "btnComprimi", "btnAnnulla", "btnAggiungi_2",
      "btnInfo"}},
    {"frmSetCHS", 240, 136, "Set CHS", false, {"txtC", "txtH", "txtS", "btnSetCHS"}},
    {"frmInfo", 377, 202, "Quillmere " QM_TEST_VERSION " beta  - Informazioni sull'autore", false, {}},
};

}  // namespace qm::test
