// A 32-bit permuted congruential generator on a 64-bit state; all integer
// arithmetic, so every platform and compiler gives the same sequence.
#include "saver/stage/random.h"

#include <cstring>

namespace stage {

namespace {

constexpr std::uint64_t kMultiplier = 6364136223846793005ull;
constexpr std::uint64_t kIncrement = 1442695040888963407ull;
// The sequence a show follows until the clock first reseeds it.
constexpr std::uint64_t kInitialState = 0x853C49E6748FEA9Bull;

// A strong 64-bit mix, so that nearby clock values spread over the state.
std::uint64_t Mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

RandomGenerator::RandomGenerator() : state_(kInitialState) {}

void RandomGenerator::Reseed(double clockValue) {
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof clockValue);
  std::memcpy(&bits, &clockValue, sizeof bits);
  state_ = Mix(state_ ^ Mix(bits));
  NextBits();
}

std::uint32_t RandomGenerator::NextBits() {
  const std::uint64_t old = state_;
  state_ = old * kMultiplier + kIncrement;
  const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
  const auto rot = static_cast<std::uint32_t>(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float RandomGenerator::Next() { return static_cast<float>(NextBits() >> 8) * (1.0f / 16777216.0f); }

RandomGenerator& ShowRandom() {
  static RandomGenerator generator;
  return generator;
}

}  // namespace stage
