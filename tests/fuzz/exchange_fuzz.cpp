// Import formats: a CSV or Anki text file read as words, the words made into list entries.
// Whatever the file holds, a read that succeeds gives entries of one line each that leave
// the program again (CSV and Anki text) and come back as the same entries.
#include "core/wordexchange.h"

#include "fuzzcheck.h"

#include <string>
#include <utility>

namespace {

using ReadFunction = core::Status (*)(std::string_view, std::vector<core::ExchangeWord>&);
using WriteFunction = std::string (*)(const std::vector<core::ExchangeGroup>&);

core::Status ReadCsvText(std::string_view bytes, std::vector<core::ExchangeWord>& words) {
    return core::ReadCsv(bytes, words);
}
core::Status ReadAnki(std::string_view bytes, std::vector<core::ExchangeWord>& words) {
    return core::ReadAnkiText(bytes, words);
}

/// The entries of the words in bytes, or nothing when the file is refused.
bool Entries(ReadFunction read, std::string_view bytes, std::vector<std::string>& lines) {
    std::vector<core::ExchangeWord> words;
    if (!read(bytes, words)) {
        return false;
    }
    FUZZ_CHECK(!words.empty());
    core::ImportedEntries entries;
    if (!core::EntriesFromWords(words, entries)) {
        return false;
    }
    lines = entries.lines;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the format.
    const bool csv = (data[0] & 1) == 0;
    const std::string_view bytes = fuzz::Text(data + 1, size - 1);
    std::vector<std::string> lines;
    if (!Entries(csv ? ReadCsvText : ReadAnki, bytes, lines)) {
        return 0;
    }
    FUZZ_CHECK(!lines.empty());
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(line.find('[') != std::string::npos && line.find(']') != std::string::npos);
    }
    std::size_t skipped = 0;
    const core::ExchangeGroup group = core::GroupFromLines(core::ExchangeList::New, lines, skipped);
    if (skipped != 0 || group.words.size() != lines.size()) {
        // Entries the exchange formats cannot carry unchanged stay in the program.
        return 0;
    }
    const std::pair<WriteFunction, ReadFunction> formats[] = {
        {core::WriteCsv, ReadCsvText},
        {core::WriteAnkiText, ReadAnki},
    };
    for (const auto& [write, read] : formats) {
        std::vector<std::string> back;
        FUZZ_CHECK(Entries(read, write({group}), back));
        FUZZ_CHECK(back == lines);
    }
    return 0;
}
