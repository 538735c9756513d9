#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// How a letter of the learner's attempt compares with the answer.
enum class LetterMark {
    Same,    ///< the attempt has the answer's letter here
    Wrong,   ///< the attempt has another letter in place of the answer's
    Extra,   ///< the attempt has a letter the answer does not have
    Missing, ///< the answer has a letter the attempt lacks (the text is the answer's letter)
};

/// A run of letters with the same mark, in the order they are shown.
struct LetterSpan {
    LetterMark mark = LetterMark::Same;
    std::string text;
    bool operator==(const LetterSpan&) const = default;
};

/// Lines the attempt up with the answer with the fewest letter changes (letter case counts)
/// and marks each letter. Reading the Same, Wrong and Extra spans gives the attempt; reading
/// Same, Wrong-replaced and Missing gives the answer. Letters are whole UTF-8 characters.
std::vector<LetterSpan> CompareLetters(std::string_view attempt, std::string_view answer);

} // namespace core
