#pragma once
#include <string>

namespace core {

/// The texts of the three card labels for one entry.
struct CardFace {
    std::string word;     ///< Label1: one space + EntryWord
    std::string phonetic; ///< Label2: two spaces + EntryPhonetic
    std::string meaning;  ///< Label3: one space + EntryMeaning

    /// The word as it is looked up and pronounced: the word label's text, trimmed.
    std::string Word() const;
};

/// The card faces of an entry line (the fields of its first "[" and "]").
CardFace CardFaceOf(const std::string& entry);

} // namespace core
