#pragma once
// Listing and terminating processes.

#include <string>
#include <vector>

namespace qm {

struct ProcessEntry {
  long pid;
  long parentPid;
  std::string image;  // file name of the executable, such as "chdman.exe"
};

// Every process of the system with its parent. POSIX reads /proc (image: the
// file name of /proc/PID/exe, else of the command's first word); Windows
// walks a CreateToolhelp32Snapshot. Empty when listing fails.
std::vector<ProcessEntry> ListProcesses();

// Id of this program's own process.
long CurrentProcessId();

// Terminates one process by id with `exitCode` (Windows; POSIX sends SIGKILL).
// Windows enables the debug privilege around the call. True when the system
// accepted the termination.
bool KillProcess(long pid, unsigned exitCode);

}  // namespace qm
