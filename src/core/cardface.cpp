#include "cardface.h"

#include "wordentry.h"

namespace core {

std::string CardFace::Word() const {
    return Trim(word);
}

CardFace CardFaceOf(const std::string& entry) {
    return {" " + EntryWord(entry), "  " + EntryPhonetic(entry), " " + EntryMeaning(entry)};
}

} // namespace core
