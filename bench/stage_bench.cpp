// The garden show's frames: a growing frame and a mowing frame with 10
// flowers of each kind, at 1920 x 1080 and 3840 x 2160, against the 15.625 ms
// a frame has at the Windows tick, against a full-screen copy to the window
// measured in the same run ("x_fullcopy"), and the pixels that reach the
// window per frame against a full-screen copy ("of_screen"). Also the time
// from the start of the set-up to the first frame drawn.
//
// Pictures: data/*.bmp of the source tree, or made here when they are not
// there yet.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/image.h"
#include "platform/process.h"
#include "saver/gfx/cbitmap.h"
#include "saver/host/module1.h"
#include "saver/stage/form1.h"

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

// A stage set up and prepared at w x h; nullptr when the set-up failed.
Form1* Stage(int w, int h, double* setUpMs = nullptr) {
  forms::SetScreenSizeOverride(w, h);
  const auto t0 = Clock::now();
  Form1& f = NewForm1ForTest({});
  if (!f.SetUpForTest()) return nullptr;
  f.PrepareForTest();
  f.DrawFrameForTest();
  if (setUpMs) *setUpMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  return &f;
}

// Milliseconds of one full-screen copy from the stage bitmap to the window.
double FullCopyMs(Form1& f) {
  const int reps = 20;
  const auto t0 = Clock::now();
  for (int i = 0; i < reps; ++i) f.Stage()->RenderBitmap(f.hDC(), 0, 0, win::SRCCOPY);
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / reps;
}

// Frames drawn in the given mode until `frames` have run; restarts passes.
void DrawFrames(Form1& f, bool mowing, int frames) {
  for (int i = 0; i < frames; ++i) {
    if (mowing && f.Mode() == 0) f.TimerChMode_Timer();
    if (!mowing && f.Mode() != 0) {
      // Finish the pass first: growing frames are measured alone.
      while (f.Mode() != 0) f.DrawFrameForTest();
    }
    f.DrawFrameForTest();
  }
}

void Frames(benchmark::State& state, bool mowing) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Form1* f = Stage(w, h);
  if (!f) {
    state.SkipWithError("set-up failed");
    return;
  }
  // Into the steady state: flowers growing and replanted, a pass under way.
  DrawFrames(*f, false, 400);
  const double fullCopy = FullCopyMs(*f);
  const std::uint64_t px0 = plat::WindowPixelsCopied();
  std::int64_t n = 0;
  const auto t0 = Clock::now();
  for (auto _ : state) {
    DrawFrames(*f, mowing, 1);
    ++n;
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / n;
  const double px = double(plat::WindowPixelsCopied() - px0) / n;
  state.counters["ms"] = ms;
  state.counters["of_15.6ms_%"] = 100 * ms / kFrameMs;
  state.counters["x_fullcopy"] = ms / fullCopy;
  state.counters["px_per_frame"] = px;
  state.counters["of_screen_%"] = 100 * px / (double(w) * h);
}

void BM_GrowingFrame(benchmark::State& state) { Frames(state, false); }
void BM_MowingFrame(benchmark::State& state) { Frames(state, true); }
BENCHMARK(BM_GrowingFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MowingFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// Both screen sizes in one measurement: the cost of a frame should follow
// the sprites, not the screen.
void BM_ScreenSizeRatio(benchmark::State& state) {
  const bool mowing = state.range(0) != 0;
  double perFrame[2] = {0, 0};
  const int sizes[2][2] = {{1920, 1080}, {3840, 2160}};
  for (auto _ : state) {
    for (int s = 0; s < 2; ++s) {
      Form1* f = Stage(sizes[s][0], sizes[s][1]);
      if (!f) {
        state.SkipWithError("set-up failed");
        return;
      }
      DrawFrames(*f, false, 400);
      const int frames = 2000;
      const auto t0 = Clock::now();
      DrawFrames(*f, mowing, frames);
      perFrame[s] = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / frames;
    }
  }
  state.counters["us_1080p"] = perFrame[0];
  state.counters["us_2160p"] = perFrame[1];
  state.counters["ratio"] = perFrame[1] / perFrame[0];
}
BENCHMARK(BM_ScreenSizeRatio)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

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
  plat::InitProcess(argc, argv);
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
