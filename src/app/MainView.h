#pragma once
// What the main window's behaviour needs of its window, beyond what the
// batch runner needs. The Qt and Win32 main windows implement it.

#include <optional>

#include "core/ChsGeometry.h"
#include "runner/BatchView.h"
#include "ui/FileOpenDialog.h"

namespace qm {

class MainView : public BatchView {
 public:
  // Enables or disables the tool bar frame with the add and Remove buttons.
  virtual void SetToolbarEnabled(bool enabled) = 0;
  // The system's file-open dialog, owned by the window.
  virtual FileOpenDialog& SystemFileDialog() = 0;
  // The modal geometry dialog; the confirmed geometry, or nullopt when it
  // was closed without confirming.
  virtual std::optional<ChsGeometry> AskGeometry() = 0;
  // The modal About dialog; returns when it has closed.
  virtual void ShowAbout() = 0;
  // A modeless read-only window showing a job's kept output, copyable.
  virtual void ShowOutput(std::string_view title, std::string_view text) = 0;
  // Closes the window for good (a close that waited for a batch to end).
  virtual void CloseWindow() = 0;
};

}  // namespace qm
