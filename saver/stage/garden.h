// A garden show: a stage window and its scene for every monitor (or the
// one window a host names), and the frame loop that draws a frame of every
// scene, serves the window system and waits for the next frame's tick.
//
// A full-screen show on a desktop of several monitors gives each monitor a
// garden of its own size; one loop steps them all. The show ends through
// the host's EndShow.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "saver/stage/form1.h"
#include "saver/stage/host.h"
#include "saver/stage/run_options.h"

namespace stage {

class Garden {
 public:
  Garden(Host& host, const RunOptions& options);
  ~Garden();
  Garden(const Garden&) = delete;
  Garden& operator=(const Garden&) = delete;

  // Loads every window (each builds its scene) and shows them. False when
  // the set-up failed: the warning was given and the show goes on only
  // because the password was not confirmed.
  bool Load();
  // The frame loop: the preparation, then frames until the show ends (or
  // the run of -frames N has drawn them). Returns only through a failure,
  // after the warning.
  void RunGarden();
  // Every scene prepared on its window.
  void Prepare();
  // One frame of every scene, then the window system served until the next
  // frame's tick.
  void Frame();
  // Every window closed.
  void Unload();
  // A window of a new size gets a scene laid out for it.
  void Resize(Form1& window, int width, int height);

  // The show's window first, then those of the other monitors.
  std::vector<Form1*> Windows() const;
  Host& TheHost() const { return m_host; }
  const RunOptions& Options() const { return m_options; }
  std::int64_t FramesRun() const { return m_lFramesRun; }

 private:
  // The monitors of a full-screen show of several, the primary first;
  // none otherwise.
  std::vector<forms::Form::Area> ShowMonitors() const;
  // The frames that follow and would draw nothing on any monitor run
  // without the thread waking for each: it sleeps until the first frame that
  // draws, or until a message comes. True when it waited: the messages
  // were served, and only frames that draw nothing ran since.
  bool WaitThroughIdleFrames();
  // The end of a run of -frames N: the snapshot, then the end of the show.
  void EndOfRun();
  void WriteSnapshot(const std::string& path);

  Host& m_host;
  RunOptions m_options;
  std::vector<std::unique_ptr<Form1>> m_cWindows;
  std::int64_t m_lFramesRun = 0;
  std::int32_t m_lNextTick = 0;
};

}  // namespace stage
