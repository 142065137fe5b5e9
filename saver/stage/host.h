// What the stage asks of the program that runs it: the settings, the
// pictures' folder, the pace of the frames and the end of the show. The
// saver host implements it; the stage knows nothing else of the host.
#pragma once

#include <cstdint>
#include <string>

namespace stage {

class Garden;

class Host {
 public:
  // The settings file's text of a flower count ("yellow", "red", "rose",
  // "white"), as the settings dialog keeps it.
  virtual std::string CountText(const std::string& key) = 0;
  // The folder of the pictures, with its separator at the end.
  virtual std::string PicturesFolder() = 0;
  // Whether the password check at the end is the show's own task (the stage
  // then blocks the system's task switching and stays in front).
  virtual bool PasswordIsOurs() = 0;
  // Serves the window system until the millisecond counter reaches `target`.
  virtual void WaitForTick(std::int32_t target) = 0;
  // A quick mouse move; the fifth ends the show.
  virtual void CountMouseMove(Garden& show) = 0;
  // Returns only when the password was not confirmed: the show goes on.
  virtual void EndShow(Garden& show) = 0;
  // The missing-files warning, then the end of the show.
  virtual void WarnAndEndShow(Garden& show) = 0;

 protected:
  ~Host() = default;
};

}  // namespace stage
