// The platform clock in its modes (the manual one is set by tests, through
// seams.h). The virtual clock moves in steps of
// the Windows tick (15.625 ms), so a run paces the same on every platform.
#include <algorithm>
#include <cmath>

#include "platform/process.h"
#include "process_internal.h"
#include "seams.h"

namespace plat {

namespace seams {
std::int64_t manualMillis = 0;
float manualTimeOfDay = 0;
}  // namespace seams

namespace {

ClockMode g_mode = ClockMode::Real;

// Virtual: a fixed start, then whole steps of 15.625 ms.
constexpr std::int64_t kVirtualStartSteps = 640'000;  // about 2.8 hours of uptime
constexpr std::int64_t kVirtualStartMillis = kVirtualStartSteps * native::kTickStepMicros / 1000;
constexpr double kVirtualStartTimeOfDay = 12.0 * 3600.0;  // noon
std::int64_t g_virtBaseMillis = kVirtualStartMillis;
double g_virtBaseTimeOfDay = kVirtualStartTimeOfDay;
std::int64_t g_virtSteps = 0;

std::int64_t VirtualMillis() {
  return g_virtBaseMillis + g_virtSteps * native::kTickStepMicros / 1000;
}

}  // namespace

bool TickReached(std::uint32_t now, std::uint32_t target) {
  return static_cast<std::int32_t>(now - target) >= 0;
}

namespace native {

std::uint32_t TickOfStep(std::int64_t step) {
  return static_cast<std::uint32_t>(step * kTickStepMicros / 1000);
}

std::int64_t StepReaching(std::int64_t step, std::uint32_t target) {
  // Close in one go, then step by step.
  const std::uint32_t gap = target - TickOfStep(step);
  std::int64_t s = step + std::max<std::int64_t>(1, std::int64_t{gap} * 1000 / kTickStepMicros);
  while (!TickReached(TickOfStep(s), target)) ++s;
  return s;
}

}  // namespace native

void SetClockMode(ClockMode mode) {
  g_mode = mode;
  if (mode == ClockMode::Virtual) {
    g_virtBaseMillis = kVirtualStartMillis;
    g_virtBaseTimeOfDay = kVirtualStartTimeOfDay;
    g_virtSteps = 0;
  }
}

ClockMode GetClockMode() { return g_mode; }

std::uint32_t TickCount() {
  switch (g_mode) {
    case ClockMode::Virtual:
      return static_cast<std::uint32_t>(VirtualMillis());
    case ClockMode::Manual:
      return static_cast<std::uint32_t>(seams::manualMillis);
    case ClockMode::Real:
      break;
  }
  return native::TickOfStep(native::RealStep());
}

float TimeOfDay() {
  switch (g_mode) {
    case ClockMode::Virtual: {
      const double t = g_virtBaseTimeOfDay + static_cast<double>(g_virtSteps) * 0.015625;
      return static_cast<float>(std::fmod(t, 86400.0));
    }
    case ClockMode::Manual:
      return seams::manualTimeOfDay;
    case ClockMode::Real:
      break;
  }
  return static_cast<float>(native::RealTimeOfDay());
}

std::int64_t ClockMillis() {
  switch (g_mode) {
    case ClockMode::Virtual:
      return VirtualMillis();
    case ClockMode::Manual:
      return seams::manualMillis;
    case ClockMode::Real:
      break;
  }
  return native::RealMillis();
}

std::int64_t MillisUntilTick(std::uint32_t target) {
  if (g_mode == ClockMode::Virtual) return 0;
  if (g_mode == ClockMode::Real) return native::RealMillisUntilTick(target);
  const std::uint32_t now = TickCount();
  if (TickReached(now, target)) return 0;
  return static_cast<std::int64_t>(target - now);
}

std::uint32_t TickReaching(std::uint32_t target) {
  const std::uint32_t now = TickCount();
  if (TickReached(now, target)) return now;
  switch (g_mode) {
    case ClockMode::Virtual:
      return native::TickOfStep(native::StepReaching(kVirtualStartSteps + g_virtSteps, target));
    case ClockMode::Manual:
      return target;
    case ClockMode::Real:
      break;
  }
  return native::TickOfStep(native::StepReaching(native::RealStep(), target));
}

void AdvanceVirtualClockToTick(std::uint32_t target) {
  if (g_mode != ClockMode::Virtual) return;
  const std::uint32_t now = TickCount();
  if (TickReached(now, target)) return;
  // Jump close in one go, then finish step by step.
  const std::int64_t gap = static_cast<std::int64_t>(target - now);
  g_virtSteps += std::max<std::int64_t>(0, gap * 1000 / native::kTickStepMicros - 1);
  while (!TickReached(TickCount(), target)) ++g_virtSteps;
}

}  // namespace plat
