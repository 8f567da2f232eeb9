#pragma once
// What the batch runner needs of the main window. The Qt and Win32 windows
// implement it; tests script it.

#include <string_view>

#include "core/Messages.h"

namespace qm {

class BatchView {
 public:
  virtual ~BatchView() = default;
  // The three add buttons btnAggiungi 0..2.
  virtual void SetAddButtonsEnabled(bool enabled) = 0;
  // "Avvia" (btnComprimi) and "Rimuovi" (btnRimuovi), disabled while a batch runs.
  virtual void SetBatchButtonsEnabled(bool enabled) = 0;
  // pbCurrent: maximum and value.
  virtual void SetCurrentBar(int max, int value) = 0;
  // pbTotal: maximum and value.
  virtual void SetTotalBar(int max, int value) = 0;
  // Caption of lblOperazione.
  virtual void SetOperation(std::string_view text) = 0;
  virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
  // Has BatchRunner::Step called once from the event loop, after at least
  // `delayMs`: the batch goes on between the window's other events.
  virtual void ScheduleStep(int delayMs) = 0;
};

}  // namespace qm
