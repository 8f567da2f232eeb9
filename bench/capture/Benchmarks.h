#pragma once
// The three console-capture benchmarks; each prints its rows of the table.
// `fakeTool` is the path of the fake chdman.

#include <string>

namespace qm::bench {

void CaptureThroughput(const std::string& fakeTool);
void RealisticJob(const std::string& fakeTool);
void CancelLatency(const std::string& fakeTool);

}  // namespace qm::bench
