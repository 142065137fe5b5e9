// The garden show's frames: a growing frame and a mowing frame with 10
// flowers of each kind, at 1920 x 1080 and 3840 x 2160, against the 15.625 ms
// a frame has at the Windows tick, against a full-screen copy to the window
// measured in the same run ("x_fullcopy"), and the pixels that reach the
// window per frame against a full-screen copy ("of_screen_%"). Each frame is
// measured as the loop draws it ("draw_ms") and together with the window
// system's repaint of what it copied ("served_ms": the frame's DoEvents), in
// wall time; "cpu_ms" is the process's processor time of a served frame,
// the window system's painting threads included. Also the time from the
// start of the set-up to the first frame drawn.
//
// The stage window is shown at the benchmark's screen size, so that every
// copy reaches a surface as large as the screen.
//
// Pictures: data/*.bmp of the source tree, or made here when they are not
// there yet.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/gfx/cbitmap.h"
#include "saver/host/module1.h"
#include "saver/stage/garden.h"

namespace fs = std::filesystem;

namespace {

constexpr double kFrameMs = 15.625;
using Clock = std::chrono::steady_clock;

plat::Image Filled(int w, int h, std::uint32_t c) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.px.assign(static_cast<std::size_t>(w) * h, c);
  return img;
}

// Sheets of `cells` cells with an opaque disc in each, green round it.
plat::Image Sheet(int cellW, int cellH, int cells, std::uint32_t colour) {
  plat::Image img = Filled(cellW * cells, cellH, 0x00FF00);
  for (int c = 0; c < cells; ++c)
    for (int y = 0; y < cellH; ++y)
      for (int x = 0; x < cellW; ++x) {
        const int dx = x - cellW / 2, dy = y - cellH / 2;
        const int r = (c + 3) * cellW / (2 * (cells + 3));
        if (dx * dx + dy * dy < r * r)
          img.at(c * cellW + x, y) = colour + static_cast<std::uint32_t>(c);
      }
  return img;
}

// A program folder with the settings and the pictures; "" on failure.
std::string MakeProgramFolder() {
  const fs::path dir = fs::temp_directory_path() / "tamarel-stage-bench";
  std::error_code ec;
  fs::remove_all(dir, ec);
  const fs::path data = dir / "ovinsoftware" / "tamarel";
  fs::create_directories(data, ec);
  const std::string ini = "[flowers]\nyellow=10\nred=10\nrose=10\nwhite=10\n";
  if (!plat::WriteFileBytes((dir / "ovinflowers.ini").string(),
                            std::vector<std::uint8_t>(ini.begin(), ini.end())))
    return "";
  const fs::path source = fs::path(__FILE__).parent_path().parent_path() / "data";
  const char* names[] = {"lawn.bmp",  "logo.bmp",        "yellowFlower.bmp", "redFlower.bmp",
                         "roses.bmp", "whiteFlower.bmp", "tractor.bmp",      "blank.bmp"};
  bool all = true;
  for (const char* n : names) all = all && fs::exists(source / n);
  if (all) {
    for (const char* n : names) fs::copy_file(source / n, data / n, ec);
    std::fprintf(stderr, "pictures: %s\n", source.string().c_str());
  } else {
    std::fprintf(stderr, "pictures: made here (data/ incomplete)\n");
    struct Made {
      const char* name;
      plat::Image img;
    } made[] = {
        {"lawn.bmp", Filled(128, 128, 0x2F7A28)},
        {"logo.bmp", Sheet(240, 80, 1, 0xE0C040)},
        {"yellowFlower.bmp", Sheet(64, 80, 11, 0xF0D020)},
        {"redFlower.bmp", Sheet(64, 80, 11, 0xD02020)},
        {"roses.bmp", Sheet(64, 80, 10, 0xC01050)},
        {"whiteFlower.bmp", Sheet(64, 80, 11, 0xF0F0E0)},
        {"tractor.bmp", Sheet(128, 96, 6, 0xC03010)},
        {"blank.bmp", Filled(24, 100, 0x00FF00)},
    };
    for (const Made& m : made)
      if (!plat::WriteFileBytes((data / m.name).string(), plat::EncodeBmp24(m.img))) return "";
  }
  return dir.string();
}

// A show's window set up and prepared at w x h, its first frame drawn;
// nullptr when the set-up failed.
Form1* Stage(int w, int h, double* setUpMs = nullptr) {
  static std::unique_ptr<stage::Garden> show;
  show.reset();
  forms::SetScreenSizeOverride(w, h);
  const auto t0 = Clock::now();
  show = std::make_unique<stage::Garden>(Module1::TheShowHost(), stage::RunOptions{});
  if (!show->Load()) return nullptr;
  // A shown window has its surface at the full size, as in a show.
  forms::DoEvents();
  Form1& f = *show->Windows().front();
  f.Scene().Prepare(f.hDC());
  f.Scene().DrawFrame(f.hDC());
  if (setUpMs) *setUpMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  return &f;
}

double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Milliseconds of one full-screen copy from the stage bitmap to the window;
// `*whole` tells whether all of it reached the window's surface.
double FullCopyMs(Form1& f, int w, int h, bool* whole) {
  const int reps = 20;
  const std::uint64_t px0 = portable::gdi::WindowPixelsCopied();
  const auto t0 = Clock::now();
  for (int i = 0; i < reps; ++i) f.Scene().Stage().RenderBitmap(f.hDC(), 0, 0, win::SRCCOPY);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / reps;
  *whole = portable::gdi::WindowPixelsCopied() - px0 == std::uint64_t(reps) * std::uint64_t(w) * h;
  forms::DoEvents();
  return ms;
}

// What frames cost: the drawing as the frame loop does it, and the window
// system's processing after it (the loop's DoEvents: the repaint of what the
// frame copied). Both always run, as in a show, so that neither piles up
// work for the other.
struct FrameCost {
  double drawMs = 0, servedMs = 0, cpuMs = 0;
  std::uint64_t pixels = 0;
  std::int64_t frames = 0;
  void Add(const FrameCost& o) {
    drawMs += o.drawMs;
    servedMs += o.servedMs;
    cpuMs += o.cpuMs;
    pixels += o.pixels;
    frames += o.frames;
  }
};

// One frame in the given mode; a growing frame first finishes a pass that
// runs, a mowing frame first starts one.
FrameCost OneFrame(Form1& f, bool mowing) {
  stage::Scene& scene = f.Scene();
  if (mowing && scene.Mode() == 0) scene.StartMowing();
  while (!mowing && scene.Mode() != 0) {
    scene.DrawFrame(f.hDC());
    forms::DoEvents();
  }
  FrameCost c;
  const std::uint64_t px0 = portable::gdi::WindowPixelsCopied();
  const double c0 = CpuMs();
  const auto t0 = Clock::now();
  scene.DrawFrame(f.hDC());
  const auto t1 = Clock::now();
  c.pixels = portable::gdi::WindowPixelsCopied() - px0;
  forms::DoEvents();
  const auto t2 = Clock::now();
  c.cpuMs = CpuMs() - c0;
  c.drawMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
  c.servedMs = std::chrono::duration<double, std::milli>(t2 - t0).count();
  c.frames = 1;
  return c;
}

FrameCost RunFrames(Form1& f, bool mowing, int frames) {
  FrameCost total;
  for (int i = 0; i < frames; ++i) total.Add(OneFrame(f, mowing));
  return total;
}

void Frames(benchmark::State& state, bool mowing) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Form1* f = Stage(w, h);
  if (!f) {
    state.SkipWithError("set-up failed");
    return;
  }
  // Into the steady state: flowers growing and replanted.
  RunFrames(*f, false, 400);
  bool whole = false;
  const double fullCopy = FullCopyMs(*f, w, h, &whole);
  if (!whole) {
    state.SkipWithError("the window's surface is smaller than the screen");
    return;
  }
  FrameCost total;
  for (auto _ : state) total.Add(OneFrame(*f, mowing));
  const double n = static_cast<double>(total.frames);
  const double draw = total.drawMs / n, served = total.servedMs / n;
  const double px = static_cast<double>(total.pixels) / n;
  state.counters["draw_ms"] = draw;
  state.counters["draw_%"] = 100 * draw / kFrameMs;
  state.counters["served_ms"] = served;
  state.counters["served_%"] = 100 * served / kFrameMs;
  state.counters["cpu_ms"] = total.cpuMs / n;
  state.counters["x_fullcopy"] = draw / fullCopy;
  state.counters["px_per_frame"] = px;
  state.counters["of_screen_%"] = 100 * px / (double(w) * h);
}

// Arguments: screen width and height.
void BM_GrowingFrame(benchmark::State& state) { Frames(state, false); }
void BM_MowingFrame(benchmark::State& state) { Frames(state, true); }
BENCHMARK(BM_GrowingFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MowingFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// Both screen sizes in one measurement, taking turns, the best of three
// turns each: the cost of a frame should follow the sprites, not the screen.
void BM_ScreenSizeRatio(benchmark::State& state) {
  const bool mowing = state.range(0) != 0;
  double bestDraw[2] = {1e300, 1e300}, bestServed[2] = {1e300, 1e300};
  const int sizes[2][2] = {{1920, 1080}, {3840, 2160}};
  for (auto _ : state) {
    for (int turn = 0; turn < 3; ++turn) {
      for (int s = 0; s < 2; ++s) {
        Form1* f = Stage(sizes[s][0], sizes[s][1]);
        if (!f) {
          state.SkipWithError("set-up failed");
          return;
        }
        RunFrames(*f, false, 400);
        const FrameCost c = RunFrames(*f, mowing, 2000);
        bestDraw[s] = std::min(bestDraw[s], 1000 * c.drawMs / static_cast<double>(c.frames));
        bestServed[s] = std::min(bestServed[s], 1000 * c.servedMs / static_cast<double>(c.frames));
      }
    }
  }
  state.counters["draw_us_1080p"] = bestDraw[0];
  state.counters["draw_us_2160p"] = bestDraw[1];
  state.counters["draw_ratio"] = bestDraw[1] / bestDraw[0];
  state.counters["served_us_1080p"] = bestServed[0];
  state.counters["served_us_2160p"] = bestServed[1];
  state.counters["served_ratio"] = bestServed[1] / bestServed[0];
}
// Argument: 0 growing, 1 mowing.
BENCHMARK(BM_ScreenSizeRatio)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The pixels the frames copy to the window against the pixels of the window
// that really change, counted frame by frame (the window read before and
// after each frame), over a minute of growing (3840 frames) and then as
// many mowing frames; per second at 64 frames a second. Argument: 0 growing,
// 1 mowing.
void BM_PixelsCopiedAgainstChanged(benchmark::State& state) {
  const bool mowing = state.range(0) != 0;
  const int w = 1920, h = 1080, frames = 3840;
  std::uint64_t copied = 0, changed = 0;
  for (auto _ : state) {
    Form1* f = Stage(w, h);
    if (!f) {
      state.SkipWithError("set-up failed");
      return;
    }
    if (mowing) RunFrames(*f, false, 400);
    plat::Image before, after;
    plat::ReadPixels(f->hDC(), 0, 0, w, h, before);
    for (int i = 0; i < frames; ++i) {
      copied += OneFrame(*f, mowing).pixels;
      plat::ReadPixels(f->hDC(), 0, 0, w, h, after);
      for (std::size_t p = 0; p < after.px.size(); ++p) changed += after.px[p] != before.px[p];
      std::swap(before, after);
    }
  }
  const double perSecond = 64.0 / (frames * static_cast<double>(state.iterations()));
  state.counters["copied_px_per_s"] = static_cast<double>(copied) * perSecond;
  state.counters["changed_px_per_s"] = static_cast<double>(changed) * perSecond;
  state.counters["copied_over_changed"] =
      static_cast<double>(copied) / static_cast<double>(changed);
}
BENCHMARK(BM_PixelsCopiedAgainstChanged)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// From the start of the set-up to the first frame drawn, 10 of each kind.
void BM_SetUpToFirstFrame(benchmark::State& state) {
  double total = 0;
  std::int64_t n = 0;
  for (auto _ : state) {
    double ms = 0;
    if (!Stage(1920, 1080, &ms)) {
      state.SkipWithError("set-up failed");
      return;
    }
    total += ms;
    ++n;
  }
  state.counters["ms"] = total / n;
}
BENCHMARK(BM_SetUpToFirstFrame)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv, "Tamarel");
  plat::SetEndInterceptForTest(true);
  plat::SetClockMode(plat::ClockMode::Virtual);
  Module1::PlatformId = 2;
  const std::string folder = MakeProgramFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "cannot make the program folder\n");
    return 1;
  }
  plat::SetProgramFolderForTest(folder);
  forms::Init();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
