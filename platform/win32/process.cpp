// Process facilities on Windows: the command line, the program folder, the
// previous instance, ending at once, the exit handlers and starting another
// program.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include <csignal>
#include "platform/process.h"
#include "process_internal.h"
#include <windows.h>
// clang-format on

namespace plat {

namespace native {

std::string ArgumentText(int, char**) {
  // What follows the program's path and the one blank that separates it;
  // further blanks belong to the argument text.
  const char* p = ::GetCommandLineA();
  if (!p) return std::string();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  if (*p == ' ' || *p == '\t') ++p;
  return std::string(p);
}

namespace {
std::string ModulePath() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    if (buf.size() > 32768) return std::string();
    buf.resize(buf.size() * 2);
  }
}
}  // namespace

std::string ProgramFolder() {
  const std::string exe = ModulePath();
  const std::size_t slash = exe.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  std::string folder = exe.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder.push_back('\\');  // a drive root
  return folder;
}

bool ClaimInstance() {
  const std::string exe = ModulePath();
  const std::size_t slash = exe.find_last_of("\\/");
  std::string base = slash == std::string::npos ? exe : exe.substr(slash + 1);
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const std::string name = "Local\\" + ProgramName() + "Instance." + base;
  // Kept open for the life of the process; Windows frees it at the end.
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
  return mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

void ExitNow(int code) { ::ExitProcess(static_cast<UINT>(code)); }

namespace {

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS*) {
  internal::RunExitStepsOnce();
  return EXCEPTION_CONTINUE_SEARCH;
}

BOOL WINAPI OnConsole(DWORD) {
  internal::RunExitStepsOnce();
  return FALSE;  // the default handling ends the process
}

void OnAbort(int) { internal::RunExitStepsOnce(); }

}  // namespace

void InstallExitHandlers() {
  ::SetUnhandledExceptionFilter(OnUnhandled);
  ::SetConsoleCtrlHandler(OnConsole, TRUE);
  std::signal(SIGABRT, OnAbort);
}

}  // namespace native

std::uint32_t StartProgram(const std::string& path) {
  if (path.empty()) return 0;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  // No arguments: the command line is the quoted path alone.
  std::string cmd = "\"" + path + "\"";
  if (!::CreateProcessA(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
    return 0;
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return pi.dwProcessId != 0 ? pi.dwProcessId : 1;
}

}  // namespace plat
