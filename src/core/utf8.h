#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace core {

/// One character read from UTF-8 text.
struct Utf8Char {
    char32_t code = 0;    ///< the code point; U+FFFD when the bytes are not valid UTF-8
    std::size_t size = 0; ///< bytes consumed: the whole sequence, or 1 for an invalid byte
    bool valid = false;
};

/// Reads the character that starts at byte pos of text (pos < text.size()). Strict: overlong
/// forms, surrogates, code points above U+10FFFF, stray continuation bytes and truncated
/// sequences are invalid, and then exactly one byte is consumed so that a walk resumes at
/// the next byte.
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

/// Appends code as UTF-8 (U+FFFD for surrogates and values above U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);

/// True when the whole text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

/// Number of characters, counting every invalid byte as one.
std::size_t Utf8Length(std::string_view text);

/// The first count characters of text (all of it when it is shorter).
std::string_view Utf8Prefix(std::string_view text, std::size_t count);

} // namespace core
