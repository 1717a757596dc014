// A small fixed-seed generator (xorshift64*) for noise and humanised velocities, so
// that every run of the composer produces the same samples.
#pragma once

#include <cstdint>

namespace compose {

class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    if (state_ == 0) state_ = 1;
  }
  std::uint64_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double bipolar() { return uniform() * 2.0 - 1.0; }

 private:
  std::uint64_t state_;
};

}  // namespace compose
