#pragma once
// The generator behind the random play order: small, fast and evenly spread (xorshift128+).
// Fractions carry 24 bits, the precision of a float, so each of up to 50 places is drawn
// with a bias far below anything a viewer could notice.

#include <cstdint>

namespace torvane {

class FractionGenerator {
 public:
  void seed(std::uint32_t value) {
    // splitmix64 spreads a clock value over the whole state, so nearby seeds differ.
    std::uint64_t z = value + 0x9E3779B97F4A7C15ull;
    for (auto& s : state_) {
      z += 0x9E3779B97F4A7C15ull;
      std::uint64_t x = z;
      x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
      x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
      s = x ^ (x >> 31);
    }
  }
  // 0 <= r < 1
  float next() {
    // xoshiro128-style mixing on two 64-bit words (xorshift128+).
    std::uint64_t s1 = state_[0];
    const std::uint64_t s0 = state_[1];
    state_[0] = s0;
    s1 ^= s1 << 23;
    state_[1] = s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26);
    const std::uint64_t bits = (state_[1] + s0) >> 40;  // top 24 bits
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
  }

 private:
  std::uint64_t state_[2] = {0x853C49E6748FEA9Bull, 0xDA3E39CB94B95BDBull};
};

}  // namespace torvane
