// The portable GDI's block transfers at 1920 x 1080, 32 bits per pixel, each
// next to a memcpy of the same bytes measured in the same run
// ("x_memcpy" = transfer time / memcpy time), and one cell-sized
// transparent draw through a sheet (mask SRCPAINT + sheet SRCAND).
// "allocs" counts operator new calls per transfer: there must be none.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/winapi.h"
#include "support/alloc_count.h"

namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

using Clock = std::chrono::steady_clock;

// A bitmap in a memory DC: colour (the screen's format) or monochrome.
struct Target {
  win::HDC dc = nullptr;
  win::HBITMAP bmp = nullptr;
  win::HGDIOBJ old = nullptr;
  Target(bool mono, int w, int h) {
    win::HDC screen = win::GetDC(nullptr);
    dc = win::CreateCompatibleDC(screen);
    bmp = win::CreateCompatibleBitmap(mono ? dc : screen, w, h);
    win::ReleaseDC(nullptr, screen);
    old = win::SelectObject(dc, bmp);
    // Some content, so that nothing is trivially zero.
    for (int y = 0; y < h; y += 7)
      for (int x = 0; x < w; x += 5) win::SetPixel(dc, x, y, (x * 2654435761u + y) & 0xFFFFFF);
  }
  ~Target() {
    win::SelectObject(dc, old);
    win::DeleteObject(bmp);
    win::DeleteDC(dc);
  }
};

// Time of one memcpy of `bytes` (best of several, after warming up).
double MemcpySeconds(std::size_t bytes) {
  static std::vector<std::uint8_t> a, b;
  a.assign(bytes, 1);
  b.assign(bytes, 2);
  double best = 1e9;
  for (int i = 0; i < 30; ++i) {
    const auto t0 = Clock::now();
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

// Runs `blit` as the benchmark body; reports it against a memcpy of the
// colour surface's bytes measured just before.
template <class F>
void Measure(benchmark::State& state, std::size_t bytes, F blit) {
  const double memcpyS = MemcpySeconds(bytes);
  blit();  // warm
  // Allocations counted in a run of its own, so the timing stays clean.
  const std::int64_t allocs0 = bench::Allocations();
  for (int i = 0; i < 100; ++i) blit();
  const double allocs = double(bench::Allocations() - allocs0) / 100.0;
  std::int64_t n = 0;
  const auto t0 = Clock::now();
  for (auto _ : state) {
    blit();
    ++n;
  }
  const double each = std::chrono::duration<double>(Clock::now() - t0).count() / double(n);
  state.counters["memcpy_us"] = memcpyS * 1e6;
  state.counters["x_memcpy"] = each / memcpyS;
  state.counters["allocs"] = allocs;
}

constexpr std::size_t kScreenBytes = std::size_t{kW} * kH * 4;

void BM_FullScreen(benchmark::State& state, win::DWORD rop) {
  Target src(false, kW, kH), dst(false, kW, kH);
  Measure(state, kScreenBytes, [&] { win::BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, rop); });
}
BENCHMARK_CAPTURE(BM_FullScreen, SRCCOPY, win::SRCCOPY)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullScreen, SRCAND, win::SRCAND)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullScreen, SRCPAINT, win::SRCPAINT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullScreen, SRCINVERT, win::SRCINVERT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullScreen, WHITENESS, win::WHITENESS)->Unit(benchmark::kMillisecond);

void BM_ColourToMonochrome(benchmark::State& state) {
  Target src(false, kW, kH), dst(true, kW, kH);
  win::SetBkColor(src.dc, 0x00FF00);
  Measure(state, kScreenBytes,
          [&] { win::BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, win::SRCCOPY); });
}
BENCHMARK(BM_ColourToMonochrome)->Unit(benchmark::kMillisecond);

void BM_MonochromeToColour(benchmark::State& state) {
  Target src(true, kW, kH), dst(false, kW, kH);
  Measure(state, kScreenBytes,
          [&] { win::BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, win::SRCPAINT); });
}
BENCHMARK(BM_MonochromeToColour)->Unit(benchmark::kMillisecond);

// One 40 x 60 cell of an 11-cell sheet through its mask, at a place that is
// not aligned to anything: onto a screen-sized buffer, or onto the
// one-cell build buffer that sprite sheets draw through.
void BM_CellTransparentDraw(benchmark::State& state, bool screen) {
  Target sheet(false, 440, 60), mask(true, 440, 60), dst(false, screen ? kW : 40, screen ? kH : 60);
  const int x = screen ? 933 : 0, y = screen ? 517 : 0;
  Measure(state, std::size_t{40} * 60 * 4, [&] {
    win::BitBlt(dst.dc, x, y, 40, 60, mask.dc, 123, 0, win::SRCPAINT);
    win::BitBlt(dst.dc, x, y, 40, 60, sheet.dc, 123, 0, win::SRCAND);
  });
}
BENCHMARK_CAPTURE(BM_CellTransparentDraw, screen_buffer, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CellTransparentDraw, build_buffer, false)->Unit(benchmark::kMicrosecond);

// The mask's half of the draw alone: monochrome to colour, SRCPAINT.
void BM_CellMaskPaint(benchmark::State& state) {
  Target mask(true, 440, 60), dst(false, kW, kH);
  Measure(state, std::size_t{40} * 60 * 4,
          [&] { win::BitBlt(dst.dc, 933, 517, 40, 60, mask.dc, 123, 0, win::SRCPAINT); });
}
BENCHMARK(BM_CellMaskPaint)->Unit(benchmark::kMicrosecond);

void BM_CellSrcAnd(benchmark::State& state) {
  Target sheet(false, 440, 60), dst(false, kW, kH);
  Measure(state, std::size_t{40} * 60 * 4,
          [&] { win::BitBlt(dst.dc, 933, 517, 40, 60, sheet.dc, 120, 0, win::SRCAND); });
}
BENCHMARK(BM_CellSrcAnd)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
