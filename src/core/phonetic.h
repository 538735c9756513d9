#pragma once
#include <string>
#include <string_view>

namespace core {

/// Writes IPA text (UTF-8) in the 8-bit codes of the phonetic typeface "DFPhonetic"
/// ("ə" -> "E", "ː" -> ":"); characters without a code are kept as they are.
std::string IpaToPhoneticCodes(std::string_view ipa);

/// Reads DFPhonetic codes back as IPA (UTF-8): each code becomes the symbol the typeface
/// draws for it; everything else is kept.
std::string PhoneticCodesToIpa(std::string_view codes);

} // namespace core
