#pragma once
// Reading numbers out of what the user typed. The interval field takes whatever is typed;
// these rules decide what it means.

#include <cstdint>
#include <optional>
#include <string_view>

namespace torvane {

// The number at the start of a text. Blanks, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits with at most one decimal point and an optional
// exponent (E, optional sign, digits), or &H followed by hex digits, or &O followed by octal
// digits. Only the half-width digits 0-9 count. Reading stops at the first character that
// cannot continue the number; a text without a number reads as 0. Values beyond the range of
// a double come back as infinities, so range checks reject them.
double number_of_text(std::string_view text);

// The number of a text rounded to the nearest whole number, halves to the even neighbour.
// Empty when the result does not fit a 16-bit signed integer.
std::optional<std::int16_t> whole_number_of_text(std::string_view text);

}  // namespace torvane
