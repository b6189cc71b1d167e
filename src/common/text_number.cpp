#include "common/text_number.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace torvane {
namespace {

bool is_skipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Walks a text while passing over the characters that never count.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  char peek() {
    while (pos_ < text_.size() && is_skipped(text_[pos_])) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void advance() { ++pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v >= 0 && v < base ? v : -1;
}

double read_radix(Reader& in, int base) {
  double value = 0;
  for (int d; (d = digit_value(in.peek(), base)) >= 0; in.advance()) value = value * base + d;
  return value;
}

}  // namespace

double number_of_text(std::string_view text) {
  Reader in(text);
  if (in.peek() == '&') {
    in.advance();
    const char kind = in.peek();
    if (kind == 'H' || kind == 'h') {
      in.advance();
      return read_radix(in, 16);
    }
    if (kind == 'O' || kind == 'o') {
      in.advance();
      return read_radix(in, 8);
    }
    return 0;
  }

  // Gather the decimal number without the skipped characters, then let strtod do the
  // rounding: it is exact where a hand-rolled accumulation is not.
  std::string number;
  if (in.peek() == '+' || in.peek() == '-') {
    number += in.peek();
    in.advance();
  }
  bool any_digit = false;
  bool seen_point = false;
  for (char c; (c = in.peek()) != '\0'; in.advance()) {
    if (is_digit(c)) {
      any_digit = true;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
    number += c;
  }
  if (!any_digit) return 0;

  const char e = in.peek();
  if (e == 'E' || e == 'e') {
    std::string exponent = "e";
    in.advance();
    if (in.peek() == '+' || in.peek() == '-') {
      exponent += in.peek();
      in.advance();
    }
    bool exponent_digits = false;
    for (; is_digit(in.peek()); in.advance()) {
      exponent += in.peek();
      exponent_digits = true;
    }
    if (exponent_digits) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

std::optional<std::int16_t> whole_number_of_text(std::string_view text) {
  // nearbyint rounds in the current mode, which is to-nearest-even unless someone changed it.
  const double rounded = std::nearbyint(number_of_text(text));
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace torvane
