// The drawing toolkit's per-frame work: one cell-sized transparent draw
// through a sheet (with and without the build buffer) and a sprite's full
// frame cycle, each next to a memcpy of the same bytes measured in the same
// run ("x_memcpy" = toolkit time / memcpy time).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/forms.h"
#include "platform/process.h"
#include "saver/gfx/cbitmap.h"
#include "saver/gfx/csprite.h"
#include "saver/gfx/csprite_bitmaps.h"
#include "support/alloc_count.h"

namespace {

constexpr int kCellW = 40;
constexpr int kCellH = 60;
constexpr int kCells = 11;
constexpr int kStageW = 1920;
constexpr int kStageH = 1080;

// A flower-like sheet: a green background around an opaque blob per cell.
std::shared_ptr<cSpriteBitmaps> MakeSheet() {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(kCellW) * kCells * kCellH);
  for (int y = 0; y < kCellH; ++y)
    for (int x = 0; x < kCellW * kCells; ++x) {
      const int cx = x % kCellW - kCellW / 2;
      const int cy = y - kCellH / 2;
      const bool inside = cx * cx * 9 + cy * cy * 4 < 18 * 18 * 9;
      px[static_cast<std::size_t>(y) * kCellW * kCells + x] =
          inside ? 0x00C03020u + static_cast<std::uint32_t>(x & 0x1F) : 0x0000FF00u;
    }
  static forms::Picture pic(kCellW * kCells, kCellH, std::move(px));
  auto sheet = std::make_shared<cSpriteBitmaps>();
  if (!sheet->CreateFromPicture(pic, kCells, 1, nullptr, 0x0000FF00)) std::abort();
  return sheet;
}

// Nanoseconds per memcpy of `bytes`, between two buffers that stay cached
// the way a cell of a stage does.
double MemcpyNs(std::size_t bytes) {
  std::vector<std::uint8_t> a(bytes, 1), b(bytes, 2);
  const int reps = 20000;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < reps; ++i) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(t1 - t0).count() / reps;
}

constexpr std::size_t kCellBytes = std::size_t(kCellW) * kCellH * 4;

void Report(benchmark::State& state, std::chrono::steady_clock::time_point t0,
            std::int64_t allocations0, std::size_t bytes) {
  const auto t1 = std::chrono::steady_clock::now();
  state.counters["allocs"] = double(bench::Allocations() - allocations0);
  const double ns =
      std::chrono::duration<double, std::nano>(t1 - t0).count() / double(state.iterations());
  const double base = MemcpyNs(bytes);
  state.counters["memcpy_ns"] = base;
  state.counters["x_memcpy"] = ns / base;
}

void BM_MemcpyCell(benchmark::State& state) {
  std::vector<std::uint8_t> a(kCellBytes, 1), b(kCellBytes, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kCellBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kCellBytes));
}
BENCHMARK(BM_MemcpyCell);

void BM_SheetTransparentDraw(benchmark::State& state) {
  const bool useBuild = state.range(0) != 0;
  auto sheet = MakeSheet();
  cBitmap stage;
  if (!stage.CreateAtSize(kStageW, kStageH)) std::abort();
  int cell = 1;
  const std::int64_t a0 = bench::Allocations();
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    sheet->TransparentDraw(stage.hDC(), 700, 400, cell, useBuild);
    cell = cell % kCells + 1;
  }
  // The draw reads and writes one cell in the two or four transfers.
  Report(state, t0, a0, kCellBytes);
  state.SetLabel(useBuild ? "build buffer" : "direct");
}
BENCHMARK(BM_SheetTransparentDraw)->Arg(0)->Arg(1);

void BM_SpriteFrameCycle(benchmark::State& state) {
  auto sheet = MakeSheet();
  cBitmap stage;
  cBitmap screen;
  if (!stage.CreateAtSize(kStageW, kStageH) || !screen.CreateAtSize(kStageW, kStageH)) std::abort();
  cSprite sprite;
  sprite.SpriteData(sheet);
  sprite.Create(stage.hDC());
  sprite.X(600);
  sprite.Y(500);
  sprite.XDir(2);
  sprite.YDir(-1);
  int cell = 1;
  int n = 0;
  const std::int64_t a0 = bench::Allocations();
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    sprite.RestoreBackground(stage.hDC());
    sprite.IncrementPosition();
    if (++n == 200) {  // stay on the stage
      n = 0;
      sprite.XDir(-sprite.XDir());
      sprite.YDir(-sprite.YDir());
    }
    sprite.StoreBackground(stage.hDC(), sprite.X(), sprite.Y());
    sprite.TransparentDraw(stage.hDC(), sprite.X(), sprite.Y(), cell, false);
    sprite.StageToScreen(screen.hDC(), stage.hDC());
    cell = cell % kCells + 1;
  }
  // Four cell-sized transfers plus one slightly larger rectangle to the
  // screen: about five cells of bytes.
  Report(state, t0, a0, 5 * kCellBytes);
}
BENCHMARK(BM_SpriteFrameCycle);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  plat::InitProcess(argc, argv, "Tamarel");
  forms::SetScreenSizeOverride(kStageW, kStageH);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
