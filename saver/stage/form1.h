// The stage window of one monitor: it covers its monitor (or the screen, or
// a host's window), builds its garden when it loads, takes the desktop out
// of the way, reacts to the user and keeps the minute between mowing
// passes. The show's frame loop (stage::Garden) draws its scene into it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/forms.h"
#include "saver/stage/scene.h"

namespace stage {
class Garden;
}

class Form1 : public forms::Form {
 public:
  // `monitor` empty: the whole screen. The primary window is the show's:
  // it hides the taskbar and blocks the system's keys where that is ours.
  Form1(stage::Garden& garden, const Area& monitor, bool primary);
  ~Form1() override;

  // Builds the scene; raises on any failure (the show's set-up traps it).
  void Form_Load() override;
  void Form_KeyDown(int keyCode, int shift) override;
  void Form_MouseDown(int button, int shift, float x, float y) override;
  void Form_MouseMove(int button, int shift, float x, float y) override;
  // The window took a new size (a host's window that was resized): its
  // garden is laid out again for that size.
  void Form_Resize() override;
  void TimerChMode_Timer();

  forms::Timer TimerChMode;

  stage::Scene& Scene() const;
  // The size the garden covers, pixels.
  Area Covered() const;
  // A new scene of that size, pixels.
  void BuildScene(int width, int height);

 private:
  stage::Garden& m_cGarden;
  bool m_bPrimary;
  std::unique_ptr<stage::Scene> m_cScene;
  // Twips; 32 bits, since a screen wider or taller than 2184 pixels reports
  // positions beyond a 16-bit value.
  std::int32_t m_iLastMouseX = 0;
  std::int32_t m_iLastMouseY = 0;
};
