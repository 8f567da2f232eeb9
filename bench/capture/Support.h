#pragma once
// Pieces shared by the console-capture benchmarks: a clock, medians, peak
// memory, /bin/sh command lines, a view that counts what the runner asks of
// the window, and the printed table. POSIX only (/bin/sh, /proc).

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/BatchRunner.h"
#include "runner/BatchView.h"

namespace qm::bench {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start);
double Milliseconds(Clock::duration d);

// Median of a non-empty list (mean of the middle two for an even count).
double Median(std::vector<double> values);

// Peak resident size of this process (VmHWM) in KiB; -1 without /proc.
long PeakKiB();

// `text` as one /bin/sh word, in single quotes.
std::string ShellQuote(std::string_view text);

// Runs `command` through /bin/sh -c with both output streams sent to
// /dev/null; returns the wall time in seconds, or -1 when the command failed.
double TimeQuiet(const std::string& command);

// Processes running the executable at `path` (any parent), from /proc/*/exe.
int ProcessesRunning(const std::string& path);

// Counts the runner's calls; `onService` runs before every turn of the batch.
class CountingView : public BatchView {
 public:
  void SetAddButtonsEnabled(bool) override {}
  void SetBatchButtonsEnabled(bool) override {}
  void SetCurrentBar(int max, int value) override;
  void SetTotalBar(int, int) override { ++totalUpdates; }
  void SetOperation(std::string_view) override {}
  void ShowMessage(std::string_view text, MessageIcon) override { messages.emplace_back(text); }
  void ScheduleStep(int) override;

  void Reset();

  long services = 0;
  long currentUpdates = 0;
  long totalUpdates = 0;
  int currentMax = 0;
  int currentValue = 0;
  int fullBars = 0;  // updates that showed the current bar full
  std::vector<std::string> messages;
  std::function<void()> onService;
};

// The whole batch as the window's event loop drives it: Start, then Step
// until it has ended.
void RunToEnd(BatchRunner& runner);

// Table: a heading per benchmark, then rows of measurement, value, goal.
void PrintHeading(const std::string& title);
void PrintRow(const std::string& what, const std::string& value, const std::string& goal = "");
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qm::bench
