// GB18030 decoding and encoding: any bytes decode to valid UTF-8; what was decoded encodes
// and decodes back to itself; text of ordinary characters survives the round trip whole.
#include "core/textfile.h"
#include "core/utf8.h"

#include "fuzzcheck.h"

namespace {

/// Characters a decoder may use for bytes it cannot read (replacement, private use), which a
/// round trip of arbitrary text need not keep.
bool HasStandIns(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const core::Utf8Char c = core::DecodeUtf8At(text, i);
        i += c.size;
        if (c.code == 0xFFFD || (c.code >= 0xE000 && c.code <= 0xF8FF) || c.code >= 0xF0000) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = fuzz::Text(data, size);

    // The input as file bytes.
    const std::string decoded = core::Gb18030ToUtf8(bytes);
    FUZZ_CHECK(core::IsValidUtf8(decoded));
    const std::string encoded = core::Utf8ToGb18030(decoded);
    FUZZ_CHECK(core::Gb18030ToUtf8(encoded) == decoded);
    FUZZ_CHECK(core::Gb18030Lines(bytes) == core::SplitLines(decoded));

    // The input as text in memory (possibly broken UTF-8).
    const std::string written = core::Utf8ToGb18030(bytes);
    const std::string read = core::Gb18030ToUtf8(written);
    FUZZ_CHECK(core::IsValidUtf8(read));
    if (core::IsValidUtf8(bytes) && !HasStandIns(bytes)) {
        FUZZ_CHECK(read == bytes);
    }

    // Lines: a text joined and split again gives its lines back (none holds a break).
    const std::vector<std::string> lines = core::SplitLines(decoded);
    for (const auto& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }
    FUZZ_CHECK(core::SplitLines(core::JoinLinesCrLf(lines)) == lines);
    return 0;
}
