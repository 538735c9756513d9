#include "cardface.h"

#include "wordentry.h"

namespace core {

std::string CardFace::Word() const {
    return Trim(word);
}

namespace {

// Appending instead of `"  " + text` keeps GCC 12 at -O3 from a false -Wrestrict warning
// about the inserted prefix.
std::string Indented(std::size_t blanks, const std::string& text) {
    std::string out(blanks, ' ');
    out.append(text);
    return out;
}

} // namespace

CardFace CardFaceOf(const std::string& entry) {
    return {Indented(1, EntryWord(entry)), Indented(2, EntryPhonetic(entry)),
            Indented(1, EntryMeaning(entry))};
}

} // namespace core
