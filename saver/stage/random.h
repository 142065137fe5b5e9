// The show's random numbers: one generator, the same on every platform, so
// that a run with the same clock gives the same garden everywhere.
//
// Re-seeding from the clock mixes the clock value into the current state
// instead of replacing it: two re-seeds with the same clock value (flowers
// planted within one tick of the clock) still lead to different numbers.
#pragma once

#include <cstdint>

namespace stage {

class RandomGenerator {
 public:
  RandomGenerator();
  // Mixes `clockValue` (the time of day, seconds) into the state.
  void Reseed(double clockValue);
  // A uniform number in [0, 1): 24 random bits, exact as a float.
  float Next();
  std::uint64_t State() const { return state_; }

 private:
  std::uint32_t NextBits();
  std::uint64_t state_;
};

// The generator of the show.
RandomGenerator& ShowRandom();

}  // namespace stage
