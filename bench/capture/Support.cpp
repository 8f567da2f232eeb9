#include "Support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qm::bench {

namespace fs = std::filesystem;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
  }
  return -1;
}

std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

double TimeQuiet(const std::string& command) {
  const std::string line = "(" + command + ") >/dev/null 2>&1";
  const auto start = Clock::now();
  const int status = std::system(line.c_str());
  const double seconds = SecondsSince(start);
  return status == 0 ? seconds : -1;
}

int ProcessesRunning(const std::string& path) {
  std::error_code ec;
  const fs::path wanted = fs::canonical(path, ec);
  if (ec) return 0;
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code gone;  // the process may end while we look
    if (fs::read_symlink(entry.path() / "exe", gone) == wanted) ++count;
  }
  return count;
}

void CountingView::SetCurrentBar(int max, int value) {
  ++currentUpdates;
  currentMax = max;
  currentValue = value;
  if (max > 0 && value == max) ++fullBars;
}

void RunToEnd(BatchRunner& runner) {
  runner.Start();
  while (runner.Running()) runner.Step();
}

void CountingView::ScheduleStep(int) {
  ++services;
  if (onService) onService();
}

void CountingView::Reset() {
  services = currentUpdates = totalUpdates = 0;
  currentMax = currentValue = fullBars = 0;
  messages.clear();
}

void PrintHeading(const std::string& title) { std::printf("\n%s\n", title.c_str()); }

void PrintRow(const std::string& what, const std::string& value, const std::string& goal) {
  std::printf("  %-52s %18s   %s\n", what.c_str(), value.c_str(), goal.c_str());
  std::fflush(stdout);
}

std::string Format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

}  // namespace qm::bench
