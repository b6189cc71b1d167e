// Numbers read out of what the user typed: the interval field at the commit and at Start,
// and the random option's line of the settings file.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "common/text_number.h"

namespace torvane {
namespace {

struct NumberCase {
  const char* text;
  double value;
};

class NumberOfText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberOfText, ReadsTheNumberAtTheStart) {
  EXPECT_DOUBLE_EQ(number_of_text(GetParam().text), GetParam().value) << "text: \"" << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberOfText,
    ::testing::Values(
        NumberCase{" 7", 7}, NumberCase{"5分", 5}, NumberCase{"1.5", 1.5}, NumberCase{"1e1", 10},
        NumberCase{"&H3C", 60}, NumberCase{"&h3c", 60}, NumberCase{"&O17", 15},
        NumberCase{"1 2 3", 123}, NumberCase{"\t4\n2", 42}, NumberCase{"- 3", -3},
        NumberCase{"-3", -3}, NumberCase{"+8", 8}, NumberCase{"60.5", 60.5},
        NumberCase{".5", 0.5}, NumberCase{"1.5.3", 1.5}, NumberCase{"1E+2", 100},
        NumberCase{"25e-1", 2.5}, NumberCase{"1 e 2", 100},
        // An exponent without digits is no exponent: the E ends the number.
        NumberCase{"1e", 1}, NumberCase{"3e+分", 3},
        // Octal stops at 8, hex at G; &O8 and &X hold no digits at all.
        NumberCase{"&O178", 15}, NumberCase{"&HFG", 15}, NumberCase{"&O8", 0}, NumberCase{"&X1", 0},
        // Full-width digits, as a Japanese input method types them, end the number at once.
        NumberCase{"５", 0}, NumberCase{"1５", 1}, NumberCase{"abc", 0}, NumberCase{"", 0},
        NumberCase{"   ", 0}, NumberCase{".", 0}, NumberCase{"-", 0}, NumberCase{"\r5", 0},
        // Closer to 1 and to 60 than a float can tell: the number is a double.
        NumberCase{"0.99999999", 0.99999999}, NumberCase{"60.0000001", 60.0000001}));

TEST(NumberOfTextRange, ValuesBeyondADoubleComeBackAsInfinities) {
  EXPECT_TRUE(std::isinf(number_of_text("1e400")));
  EXPECT_GT(number_of_text("1e400"), 0);
  EXPECT_LT(number_of_text("-1e400"), 0);
  EXPECT_TRUE(std::isinf(number_of_text("&H" + std::string(300, 'F'))));
  EXPECT_EQ(number_of_text("1e-400"), 0);
  EXPECT_TRUE(std::isinf(number_of_text(std::string(400, '9'))));
}

struct WholeCase {
  const char* text;
  std::optional<int> value;  // nullopt: does not fit 16 bits
};

class WholeNumberOfText : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumberOfText, RoundsHalvesToEvenWithin16Bits) {
  const auto got = whole_number_of_text(GetParam().text);
  if (GetParam().value) {
    ASSERT_TRUE(got.has_value()) << GetParam().text;
    EXPECT_EQ(*got, *GetParam().value) << GetParam().text;
  } else {
    EXPECT_FALSE(got.has_value()) << GetParam().text << " gave " << *got;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WholeNumberOfText,
    ::testing::Values(WholeCase{"0.5", 0}, WholeCase{"1.5", 2}, WholeCase{"2.5", 2},
                      WholeCase{"3.5", 4}, WholeCase{"-2.5", -2}, WholeCase{"-1.5", -2},
                      WholeCase{"2.6", 3}, WholeCase{"2.50000001", 3}, WholeCase{"1\n", 1}, WholeCase{"abc", 0},
                      WholeCase{"32767", 32767}, WholeCase{"-32768", -32768},
                      WholeCase{"-32768.5", -32768}, WholeCase{"32767.5", std::nullopt},
                      WholeCase{"40000", std::nullopt}, WholeCase{"-32769", std::nullopt},
                      WholeCase{"1e400", std::nullopt}, WholeCase{"&HFFFF", std::nullopt}));

}  // namespace
}  // namespace torvane
