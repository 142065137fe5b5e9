// Shared by the settings-dialog, preview and invitation tests: a program
// folder of the test's own with its settings file, and a recorder of what
// ShellOpen hands to the system's opener.
#pragma once

#include <string>
#include <vector>

namespace dialogtest {

// A fresh program folder for one test; ProgramFolder() reports it until the
// object goes.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& tag);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Ini() const;
  void WriteIni(const std::string& text) const;
  std::string IniText() const;
  // One key of the settings file as the system reads it; "<missing>" when
  // the key (or the file) is not there.
  std::string Key(const std::string& section, const std::string& key) const;

 private:
  std::string path_;
};

// Catches the addresses ShellOpen hands over through the real
// ShellExecuteA: on Linux a stand-in "xdg-open" first on PATH; on Windows
// this test program itself, registered as the handler of http addresses.
class OpenerRecorder {
 public:
  OpenerRecorder();
  ~OpenerRecorder();
  OpenerRecorder(const OpenerRecorder&) = delete;
  OpenerRecorder& operator=(const OpenerRecorder&) = delete;

  // Waits until at least `count` addresses have arrived (each handler is a
  // process of its own, up to 30 s); returns all that did.
  std::vector<std::string> WaitFor(std::size_t count) const;

 private:
  std::string log_;
  std::string saved_;
  bool hadSaved_ = false;
};

}  // namespace dialogtest
