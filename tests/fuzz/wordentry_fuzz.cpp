// Entry fields and case folding: the fields are the pieces the first brackets cut the line
// into; folding keeps lengths, is stable, and makes the duplicate test and its hash agree.
#include "core/speechtext.h"
#include "core/utf8.h"
#include "core/wordentry.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view line = fuzz::Text(data, size);
    const std::string word = core::EntryWord(line);
    const std::string phonetic = core::EntryPhonetic(line);
    const std::string meaning = core::EntryMeaning(line);
    const std::size_t open = line.find('[');
    const std::size_t close = line.find(']');
    FUZZ_CHECK(word == (open == std::string_view::npos ? "" : line.substr(0, open)));
    FUZZ_CHECK(meaning == (close == std::string_view::npos ? line : line.substr(close + 1)));
    if (close == std::string_view::npos) {
        FUZZ_CHECK(phonetic.empty());
    } else if (open == std::string_view::npos) {
        FUZZ_CHECK(phonetic == line.substr(0, close));
    } else if (open < close) {
        FUZZ_CHECK(word + "[" + phonetic + "]" + meaning == line);
    } else {
        FUZZ_CHECK(phonetic.empty());
    }

    const std::string trimmed = core::Trim(line);
    FUZZ_CHECK(core::Trim(trimmed) == trimmed);
    FUZZ_CHECK(line.find(trimmed) != std::string_view::npos);
    if (!trimmed.empty()) {
        FUZZ_CHECK(static_cast<unsigned char>(trimmed.front()) > 32);
        FUZZ_CHECK(static_cast<unsigned char>(trimmed.back()) > 32);
    }

    const std::string folded = core::FoldCase(line);
    FUZZ_CHECK(folded.size() == line.size());
    FUZZ_CHECK(core::FoldCase(folded) == folded);
    FUZZ_CHECK(core::EqualIgnoringCase(line, folded));
    FUZZ_CHECK(core::FoldedHash(line) == core::FoldedHash(folded));
    FUZZ_CHECK(core::IsValidUtf8(folded) == core::IsValidUtf8(line));

    const std::string spoken = core::SpokenText(line);
    FUZZ_CHECK(line.substr(0, spoken.size()) == spoken);
    FUZZ_CHECK(core::Utf8Length(spoken) <= core::MaxSpokenChars);
    return 0;
}
