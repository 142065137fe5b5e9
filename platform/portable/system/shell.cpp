// Opening a document or an address on Linux: handed to xdg-open, started
// directly (never through a shell) with the address as one argument. We do
// not wait for it; it is reaped as soon as it ends.
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/winapi.h"

extern char** environ;

namespace win {

namespace {
// Windows' results: above 32 for success, ERROR_FILE_NOT_FOUND when nothing
// could be started.
constexpr std::intptr_t kStarted = 42;
constexpr std::intptr_t kNotFound = 2;
}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR params, LPCSTR dir, int) {
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(kNotFound);
  std::vector<std::string> args = {"xdg-open", file};
  if (params && *params) args.emplace_back(params);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (dir && *dir) posix_spawn_file_actions_addchdir_np(&actions, dir);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, "xdg-open", &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0 || pid <= 0) return reinterpret_cast<HINSTANCE>(kNotFound);
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return reinterpret_cast<HINSTANCE>(kStarted);
}

}  // namespace win
