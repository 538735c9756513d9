#include "core/phonetic.h"

#include "core/utf8.h"
#include <array>
#include <cstddef>

namespace core {
namespace {

struct PhoneticRow {
    char code;
    const char* ipa; // one UTF-8 character
    bool glyph;      // the typeface draws code as ipa; otherwise ipa is only written with code
};

// The rows come from the project's one code table, generated at configure time.
constexpr PhoneticRow kRows[] = {
#include "phonetic_table.inc"
};

// Length of the UTF-8 sequence that starts at text[i]; 1 for a byte that starts none, so that
// malformed input passes through byte by byte instead of being dropped.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    return DecodeUtf8At(text, i).size;
}

} // namespace

std::string IpaToPhoneticCodes(std::string_view ipa) {
    std::string out;
    out.reserve(ipa.size());
    for (std::size_t i = 0; i < ipa.size();) {
        const std::size_t n = SequenceLength(ipa, i);
        const std::string_view ch = ipa.substr(i, n);
        char code = 0;
        for (const auto& row : kRows) {
            if (ch == row.ipa) {
                code = row.code;
                break;
            }
        }
        if (code != 0) {
            out += code;
        } else {
            out.append(ch);
        }
        i += n;
    }
    return out;
}

std::string PhoneticCodesToIpa(std::string_view codes) {
    static const auto table = [] {
        std::array<const char*, 128> t{};
        for (const auto& row : kRows) {
            if (row.glyph) {
                t[static_cast<unsigned char>(row.code)] = row.ipa;
            }
        }
        return t;
    }();
    std::string out;
    out.reserve(codes.size() * 2);
    for (const char c : codes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 128 && table[b] != nullptr) {
            out += table[b];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace core
