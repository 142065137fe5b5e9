// Process facilities shared by both platforms: the command line as read once
// at start, the program folder and the user's settings folder (with their
// seams for tests), the previous instance, opening a document.
#include "platform/process.h"

#include <cstdlib>
#include <exception>

#include "platform/rules.h"
#include "platform/winapi.h"
#include "process_internal.h"
#include "seams.h"

namespace plat {

namespace {
std::string g_argumentText;
std::string g_programName;
std::vector<std::string> g_arguments;
std::terminate_handler g_previousTerminate = nullptr;

[[noreturn]] void OnTerminate() {
  internal::RunExitStepsOnce();
  if (g_previousTerminate) g_previousTerminate();
  std::abort();
}

void AtExit() {
  // exit() from somewhere below us (a lost display connection, for example).
  // Tests end through exit() too, after their own clean-up: leave them be.
  if (!seams::endIntercepted) internal::RunExitStepsOnce();
}
}  // namespace

void InitProcess(int argc, char** argv, const char* programName) {
  g_programName = programName ? programName : "";
  g_argumentText = native::ArgumentText(argc, argv);
  g_arguments.clear();
  for (int i = 1; i < argc; ++i) g_arguments.emplace_back(argv[i] ? argv[i] : "");
  static bool installed = false;
  if (!installed) {
    installed = true;
    g_previousTerminate = std::set_terminate(OnTerminate);
    std::atexit(AtExit);
    native::InstallExitHandlers();
  }
}

const std::string& ArgumentText() { return g_argumentText; }
const std::string& ProgramName() { return g_programName; }
const std::vector<std::string>& Arguments() { return g_arguments; }

namespace seams {

std::string programFolder;
std::string userSettingsBase;

void SetArgumentText(const std::string& argumentText) {
  g_argumentText = argumentText;
  g_arguments.clear();
  std::string word;
  for (char c : argumentText) {
    if (c == ' ') {
      if (!word.empty()) g_arguments.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) g_arguments.push_back(word);
}

}  // namespace seams

std::string ProgramFolder() {
  if (!seams::programFolder.empty()) return seams::programFolder;
  return native::ProgramFolder();
}

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

const char* ProgramSuffix() {
#ifdef _WIN32
  return ".exe";
#else
  return "";
#endif
}

std::string UserSettingsFolder(const std::string& name) {
  std::string folder = seams::userSettingsBase;
  if (folder.empty()) {
    char base[win::MAX_PATH] = {};
    if (win::SHGetFolderPathA(nullptr, win::CSIDL_APPDATA | win::CSIDL_FLAG_CREATE, nullptr, 0,
                              base) != win::S_OK) {
      return std::string();
    }
    folder = base;
  }
  if (folder.empty() || folder.back() != PathSeparator()) folder.push_back(PathSeparator());
#ifdef _WIN32
  folder += name;
#else
  // XDG's folders are named in lower case.
  folder += LowerAscii(name);
#endif
  win::CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool PreviousInstance() {
  // Decided once: the answer must not change when the other process ends.
  static const bool previous = native::ClaimInstance();
  return previous;
}

std::int32_t ShellOpen(const std::string& address) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(
      win::ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, win::SW_SHOWNORMAL)));
}

}  // namespace plat
