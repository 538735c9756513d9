#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace core {

/// The most characters a text handed to the speech engine may have. A list line's word can
/// be any length; speaking a word of thousands of characters would keep the engine busy for
/// many minutes and its samples in memory, so only its beginning is spoken.
inline constexpr std::size_t MaxSpokenChars = 200;

/// The part of text the speech engine gets: its first MaxSpokenChars characters (whole UTF-8
/// characters; an invalid byte counts as one).
std::string SpokenText(std::string_view text);

} // namespace core
