#pragma once
// Listing and terminating processes.

#include <string>
#include <vector>

#include "platform/error.h"

namespace qm {

struct ProcessEntry {
  long pid;
  long parentPid;
  std::string image;  // file name of the executable, such as "chdman.exe"
};

// Every process of the system with its parent. POSIX reads /proc (image: the
// file name of /proc/PID/exe, else of the command's first word); Windows
// walks a CreateToolhelp32Snapshot.
Result<std::vector<ProcessEntry>> ListProcesses();

// Id of this program's own process.
long CurrentProcessId();

// True when a process with this id exists and has not ended (one of another
// user included); a zombie has ended.
bool ProcessRunning(long pid);

// Terminates one process by id (POSIX: SIGKILL; Windows: with `exitCode`).
// No privilege is taken: only processes this user may end are ended.
Result<void> KillProcess(long pid, unsigned exitCode);

}  // namespace qm
