// Process facilities on Linux: the command line, the program folder, the
// previous instance, ending at once, the exit handlers and starting another
// program.
#include "platform/process.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/rules.h"
#include "process_internal.h"

extern char** environ;

namespace plat {

namespace native {

std::string ArgumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text.push_back(' ');
    if (argv[i]) text += argv[i];
  }
  return text;
}

namespace {
std::string ExePath() {
  std::string buf(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return std::string();
  buf.resize(static_cast<std::size_t>(n));
  return buf;
}
}  // namespace

std::string ProgramFolder() {
  const std::string exe = ExePath();
  const std::size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

bool ClaimInstance() {
  // A name in the abstract socket namespace: held while this process lives,
  // gone with it however it ends, never a stale file.
  std::string exe = ExePath();
  const std::size_t slash = exe.rfind('/');
  const std::string base = slash == std::string::npos ? exe : exe.substr(slash + 1);
  // Per user and display, as Windows keeps it per session: a show on
  // another display (another seat, a nested server) is not this one's.
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  const std::size_t colon = display.rfind(':');
  const std::size_t dot = display.rfind('.');
  if (colon != std::string::npos && dot != std::string::npos && dot > colon) display.resize(dot);
  const std::string name = LowerAscii(ProgramName()) + "-instance-" + std::to_string(::getuid()) +
                           "-" + display + "-" + base;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::size_t len = std::min(name.size(), sizeof(addr.sun_path) - 2);
  std::memcpy(addr.sun_path + 1, name.data(), len);
  const socklen_t addrLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), addrLen) == 0) return false;  // kept open
  const bool inUse = errno == EADDRINUSE;
  ::close(fd);
  return inUse;
}

void ExitNow(int code) { ::_exit(code); }

namespace {

constexpr int kFatal[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL,  SIGABRT,
                          SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGALRM};
struct sigaction g_previous[65];
void (*volatile g_sessionEndNotify)() = nullptr;
volatile sig_atomic_t g_sessionEnding = 0;
constexpr unsigned kSessionEndGraceSeconds = 5;

void OnSignal(int sig) {
  if ((sig == SIGTERM || sig == SIGHUP || sig == SIGINT) && g_sessionEndNotify &&
      !g_sessionEnding) {
    // A session's end (or an interrupt from the terminal): the forms close in
    // their own time, within the grace.
    g_sessionEnding = 1;
    ::alarm(kSessionEndGraceSeconds);
    g_sessionEndNotify();
    return;
  }
  internal::RunExitStepsOnce();
  // Hand the signal on as it would have gone without us (a sanitizer's
  // report, a core file, the default end).
  struct sigaction prev = g_previous[sig];
  if (prev.sa_handler == SIG_IGN) prev.sa_handler = SIG_DFL;
  ::sigaction(sig, &prev, nullptr);
  if (sig != SIGSEGV && sig != SIGBUS && sig != SIGFPE && sig != SIGILL) ::raise(sig);
  // A fault repeats as soon as we return, now with the previous action.
}

}  // namespace

void SetSessionEndNotifier(void (*notify)()) { g_sessionEndNotify = notify; }

void InstallExitHandlers() {
  for (int sig : kFatal) {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(sig, &sa, &g_previous[sig]);
  }
}

}  // namespace native

std::uint32_t StartProgram(const std::string& path) {
  if (path.empty()) return 0;
  posix_spawnattr_t attr;
  if (posix_spawnattr_init(&attr) != 0) return 0;
  // A session of its own: the program outlives the screen saver and is not
  // ended with its process group.
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  std::string arg0 = path;
  char* argv[] = {arg0.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0 || pid <= 0) return 0;
  // Reaped as soon as it ends, so no zombie is left while we still run.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return static_cast<std::uint32_t>(pid);
}

}  // namespace plat
