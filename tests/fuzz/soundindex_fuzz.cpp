// The sound index (an INI text): any file parses; a lookup ignores letter case and blanks
// around the word; a key of the section "Mywav" finds its value as the reader trims it.
#include "core/soundindex.h"
#include "core/textfile.h"
#include "core/wordentry.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = core::Gb18030ToUtf8(fuzz::Text(data, size));
    core::SoundIndexFile index;
    index.Parse(text);

    bool inSection = false;
    std::size_t keys = 0;
    for (const auto& raw : core::SplitLines(text)) {
        const std::string line = core::Trim(raw);
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            inSection =
                core::FoldCase(core::Trim(line.substr(
                    1, close == std::string::npos ? std::string::npos : close - 1))) == "mywav";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || line.empty() || line[0] == ';' || line[0] == '#' ||
            eq == std::string::npos) {
            continue;
        }
        const std::string key = core::Trim(line.substr(0, eq));
        if (key.empty()) {
            continue;
        }
        ++keys;
        // Some value is found for every key (the first line of a repeated key wins).
        const std::string value = index.Value(key);
        FUZZ_CHECK(value == index.Value(core::FoldCase(key)));
        FUZZ_CHECK(value == index.Value(" " + key + "\t"));
        FUZZ_CHECK(value == core::Trim(value));
    }
    FUZZ_CHECK(index.size() <= keys);
    FUZZ_CHECK(index.Value("").empty());
    return 0;
}
