#pragma once
#include <string>
#include <string_view>

namespace core {

/// The encodings a word bank may come in.
enum class TextEncoding {
    Gbk,     ///< the 8-bit code page of the learners' files (also plain ASCII)
    Utf8,    ///< UTF-8 without a byte-order mark
    Utf8Bom, ///< UTF-8 with a byte-order mark
    Utf16Le, ///< UTF-16, little-endian (with or without a byte-order mark)
    Utf16Be, ///< UTF-16, big-endian (with or without a byte-order mark)
    Unknown, ///< none of these (holds NUL bytes but is not UTF-16)
};

/// Recognises the encoding of a text file: a byte-order mark; NUL bytes in every other place
/// for UTF-16 without one; valid UTF-8 with multi-byte characters that is not plausible GBK
/// (either not valid GBK, or mostly characters that take three or four bytes in UTF-8, as
/// Chinese does); GBK otherwise.
TextEncoding DetectTextEncoding(std::string_view bytes);

/// Converts text in the given encoding to GB18030 bytes (GBK bytes are returned unchanged, the
/// byte-order mark is dropped). False, with out empty, when the text does not hold to its
/// encoding (broken sequences, an odd number of UTF-16 bytes, a lone surrogate): such text is
/// refused rather than written with replacement characters.
bool ConvertToGb18030(std::string_view bytes, TextEncoding encoding, std::string& out);

/// Converts text in the given encoding to UTF-8 (the byte-order mark is dropped; GBK is read
/// as Gb18030ToUtf8 reads it, bytes that start no character kept as its private-use
/// characters). False, with out empty, when the text does not hold to its encoding.
bool ConvertToUtf8(std::string_view bytes, TextEncoding encoding, std::string& out);

} // namespace core
