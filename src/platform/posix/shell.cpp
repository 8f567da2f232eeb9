#include "platform/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/handle.h"

extern char** environ;

namespace qm {

// sh starts xdg-open in the background and exits at once; it is reaped here,
// and xdg-open, orphaned, belongs to init: no zombie and no wait for the
// browser. The link is sh's $1, never parsed as shell text.
void Navigate(const std::string& url) {
  UniqueHandle devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!devNull.valid()) return;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_adddup2(&actions, devNull.get(), fd);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  char sh[] = "sh";
  char dashC[] = "-c";
  char script[] = "xdg-open \"$1\" &";
  char name[] = "quillmere-open";
  std::string link = url;
  char* argv[] = {sh, dashC, script, name, link.data(), nullptr};
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return;
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace qm
