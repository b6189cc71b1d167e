#pragma once
// Cutting UTF-8 texts at character boundaries: what the user counts as one character (a
// Japanese one included) is never split into bytes that stand for nothing.

#include <cstddef>
#include <string_view>

namespace torvane {

// Whether a byte continues a character begun before it (10xxxxxx).
constexpr bool continues_character(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The text without its last character; empty stays empty.
constexpr std::string_view without_last_character(std::string_view text) {
  std::size_t end = text.size();
  if (end == 0) return text;
  --end;
  while (end > 0 && continues_character(text[end])) --end;
  return text.substr(0, end);
}

// The first `count` characters of the text, or all of it when it is shorter.
constexpr std::string_view first_characters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
    ++end;
    while (end < text.size() && continues_character(text[end])) ++end;
  }
  return text.substr(0, end);
}

}  // namespace torvane
