// Shared by the settings-dialog, preview and invitation tests: a program
// folder of the test's own with its settings file.
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

}  // namespace dialogtest
