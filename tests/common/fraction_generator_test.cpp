// The generator behind the random play order: fractions 0 <= r < 1, spread evenly, so that
// every place of the list is as likely as any other.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "common/random.h"

namespace torvane {
namespace {

// 4000 draws into ten bins: about 400 each, and for any seed far inside 300..500 (a bin
// below 300 by chance is a fluke of one in 10^7). A generator stuck in half the range leaves
// five bins empty.
TEST(FractionGenerator, SpreadsItsFractionsEvenlyOverZeroToOne) {
  for (std::uint32_t seed : {0u, 1u, 0x5EEDu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(seed);
    FractionGenerator generator;
    generator.seed(seed);
    std::array<int, 10> bins{};
    for (int i = 0; i < 4000; ++i) {
      const float r = generator.next();
      ASSERT_GE(r, 0.0f);
      ASSERT_LT(r, 1.0f);
      ++bins[static_cast<std::size_t>(r * 10)];
    }
    for (int b = 0; b < 10; ++b) {
      EXPECT_GT(bins[b], 300) << "fractions " << b / 10.0 << " to " << (b + 1) / 10.0;
      EXPECT_LT(bins[b], 500) << "fractions " << b / 10.0 << " to " << (b + 1) / 10.0;
    }
  }
}

}  // namespace
}  // namespace torvane
