#pragma once
// What the bridge alone needs of the operating system: its own command line
// and console. Processes, files and the environment come from src/platform.
// Implemented in console_posix.cpp and console_win32.cpp; CMake picks one.

#include <cstddef>
#include <string>
#include <vector>

namespace qm::bridge {

// This process's arguments after the program name, as UTF-8 (Windows: from
// the UTF-16 command line, whatever the code pages).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes the bytes to standard output unchanged and unbuffered; false when it
// cannot. A reader that has gone counts as a termination request.
bool WriteOutput(const char* data, std::size_t size);

// From now on a request to end this process (POSIX: SIGINT, SIGTERM, SIGHUP,
// SIGPIPE; Windows: the console's Ctrl+C, Ctrl+Break and close events) does
// not end it at once: TerminationStatus() tells, and the running tool is
// ended by the one who waits for it.
void CatchTerminationRequests();
// 0 until such a request arrived; then 128 + the signal number (POSIX) or
// 128 + 2 (Windows, as for SIGINT).
int TerminationStatus();

}  // namespace qm::bridge
