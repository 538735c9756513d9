#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// Decodes the learners' 8-bit text (GBK as the Windows code page 936 has it, read with the
/// GB18030 tables) into UTF-8. Byte 0x80 is the euro sign, as in that code page. Every other
/// byte that does not start a character is kept as one of the private-use characters
/// U+10FE81..U+10FEFF, so that Utf8ToGb18030 writes it back unchanged: a line the program
/// does not change is written back byte for byte.
std::string Gb18030ToUtf8(std::string_view bytes);
/// Encodes UTF-8 as GB18030: identical to GBK for GBK characters, lossless for the rest; the
/// euro sign becomes byte 0x80 and the private-use characters of a kept byte become that byte.
/// Invalid UTF-8 input bytes are encoded as U+FFFD rather than dropped.
std::string Utf8ToGb18030(std::string_view text);

/// Utf8ToGb18030 of the lines with CR LF after every line (an empty list gives an empty text).
std::string LinesToGb18030(const std::vector<std::string>& lines);

/// The first private-use character that stands for a kept byte: U+10FE00 + the byte.
constexpr char32_t KeptByteBase = 0x10FE00;

/// Splits text into lines: CR, LF and CR LF each end a line; a final break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
/// SplitLines(Gb18030ToUtf8(bytes)) in one pass, without the whole text in between.
std::vector<std::string> Gb18030Lines(std::string_view bytes);
/// Joins lines with CR LF after every line (an empty list gives an empty text).
std::string JoinLinesCrLf(const std::vector<std::string>& lines);
/// True when the line holds nothing but characters of code 32 and below (an empty entry).
bool IsBlankLine(std::string_view line);

/// Gb18030ToUtf8 in pieces of whole lines, asking stop() between them; false (text
/// incomplete) when it turned true.
bool Gb18030ToUtf8Until(std::string_view bytes, std::string& text,
                        const std::function<bool()>& stop);

} // namespace core
