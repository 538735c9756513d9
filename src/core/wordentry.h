#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

/// Removes leading and trailing characters of code 32 and below.
std::string Trim(std::string_view text);

/// The characters before the first "[" (empty when there is no "[").
std::string EntryWord(std::string_view entry);
/// The characters between the first "[" and the first "]"; without a "[", the characters
/// before the first "]"; empty without a "]" or when the "]" comes before the "[".
std::string EntryPhonetic(std::string_view entry);
/// Everything after the first "]" (the whole line when there is no "]").
std::string EntryMeaning(std::string_view entry);

/// Folds letter case for the duplicate test (ASCII, Latin-1, Greek, Cyrillic and full-width
/// Latin letters); the folded text has the same length in bytes.
std::string FoldCase(std::string_view text);
/// Writes the folded text (text.size() bytes) to out.
void FoldCaseInto(std::string_view text, char* out);
/// The key of the by-word duplicate test: the entry's word, trimmed and case-folded (the
/// whole trimmed line when it has no "[").
std::string EntryWordKey(std::string_view entry);
/// A hash of the folded text, equal for texts that differ only in letter case.
std::uint64_t FoldedHash(std::string_view text);
/// True when the texts are equal ignoring letter case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

} // namespace core
