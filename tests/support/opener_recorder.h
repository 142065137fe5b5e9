// Catches what a program hands to the system's opener, for tests that go
// through the real ShellExecuteA: on Linux a stand-in "xdg-open" first on
// PATH; on Windows this test program itself, registered as the handler of
// http addresses, appends each address it is started with to a log.
#pragma once

#include <string>
#include <vector>

namespace testutil {

class OpenerRecorder {
 public:
  OpenerRecorder();
  ~OpenerRecorder();
  OpenerRecorder(const OpenerRecorder&) = delete;
  OpenerRecorder& operator=(const OpenerRecorder&) = delete;

  // Every address handed over so far, in order.
  std::vector<std::string> Addresses() const;
  // Waits until at least `count` addresses have arrived (a handler is a
  // process of its own); returns them all.
  std::vector<std::string> WaitFor(std::size_t count) const;
  // Everything that arrived before a marker address opened now: for checking
  // that nothing was handed over.
  std::vector<std::string> AllBeforeMarker() const;

 private:
  std::string log_;
  std::string saved_;
  bool hadSaved_ = false;
};

}  // namespace testutil
