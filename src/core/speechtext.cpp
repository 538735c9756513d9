#include "speechtext.h"

#include "utf8.h"

namespace core {

std::string SpokenText(std::string_view text) {
    return std::string(Utf8Prefix(text, MaxSpokenChars));
}

} // namespace core
