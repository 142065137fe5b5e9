// Putting surfaces on X windows: our own windows' (the rectangles a frame
// drew go straight from the surface to the window, so the forms toolkit
// keeps no picture of them and only repaints where this path cannot serve)
// and another program's (a preview window a screen-saver host hands us).
// Shared memory when the server can read ours, plain image requests when
// not, converted pixels for a window of another format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "../rect.h"

namespace portable::present {

// Pixels of a surface, 0x00RRGGBB, zeroed when made. Shared with the X
// server when it can be; plain memory otherwise.
class SurfacePixels {
 public:
  SurfacePixels() = default;
  SurfacePixels(SurfacePixels&& o) noexcept;
  SurfacePixels& operator=(SurfacePixels&& o) noexcept;
  SurfacePixels(const SurfacePixels&) = delete;
  SurfacePixels& operator=(const SurfacePixels&) = delete;
  ~SurfacePixels();

  // Replaces the pixels with `count` black ones; false (and empty) when the
  // memory cannot be had.
  bool Allocate(std::size_t count);
  std::uint32_t* data() { return data_; }
  const std::uint32_t* data() const { return data_; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // The server's name of the shared segment; 0 when the pixels are not shared.
  std::uint32_t Segment() const { return segment_; }

 private:
  void Release();
  std::uint32_t* data_ = nullptr;
  std::size_t count_ = 0;
  std::vector<std::uint32_t> heap_;
  void* shared_ = nullptr;
  std::uint32_t segment_ = 0;
};

using portable::Rect;

// Whether the X window `xid` can be served from our surfaces as they are
// (depth 24 with our channels in the surface's byte order, on a server we
// reach). The answer for a window is found once.
bool CanServe(unsigned long xid);

// Puts rectangles of a surface of `width` x `height` (rows of `width`
// pixels) on the window at the same places, as they are or converted to
// the window's true-colour format. False when the window could not be
// served (for our windows the toolkit then repaints them).
bool Put(unsigned long xid, const SurfacePixels& px, int width, int height,
         const std::vector<Rect>& rects);

// Sends what was put; errors the server sent back are read and dropped, news
// of watched windows passed on (x11.h).
void Flush();
// Reads what the server sent, when the connection has something to read.
void Read();

}  // namespace portable::present
