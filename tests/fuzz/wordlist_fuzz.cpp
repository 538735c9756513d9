// A word list under any sequence of loads, appends, removals and duplicate tests answers
// every duplicate test as a plain case-insensitive scan of its lines does.
#include "core/textfile.h"
#include "core/wordentry.h"
#include "core/wordlist.h"

#include "fuzzcheck.h"

#include <string>
#include <vector>

namespace {

bool PlainContains(const std::vector<std::string>& lines, std::string_view text) {
    for (const auto& line : lines) {
        if (core::EqualIgnoringCase(line, text)) {
            return true;
        }
    }
    return false;
}

} // namespace

// Each input line is one step: its first byte says what to do, the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view input = fuzz::Text(data, size);
    core::WordList list;
    std::vector<std::string> model;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        const std::string_view step = input.substr(start, end - start);
        start = end + 1;
        if (step.empty()) {
            continue;
        }
        const std::string text(step.substr(1));
        switch (static_cast<unsigned char>(step[0]) % 5) {
        case 0: // load: the text's words become the lines
        {
            std::vector<std::string> lines;
            std::size_t from = 0;
            while (from <= text.size()) {
                const std::size_t to = std::min(text.find(' ', from), text.size());
                lines.push_back(text.substr(from, to - from));
                from = to + 1;
            }
            list.Replace(lines);
            model = lines;
            break;
        }
        case 1:
            // A blank line would read as the end of the list: it never enters one.
            FUZZ_CHECK(list.Append(text) == !core::IsBlankLine(text));
            if (!core::IsBlankLine(text)) {
                model.push_back(text);
            }
            break;
        case 2: {
            const long long pos = text.empty() ? -1 : static_cast<unsigned char>(text[0]) % 8;
            const bool inside = pos >= 0 && static_cast<std::size_t>(pos) < model.size();
            FUZZ_CHECK(list.RemoveAt(pos) == inside);
            if (inside) {
                model.erase(model.begin() + pos);
            }
            break;
        }
        default:
            FUZZ_CHECK(list.ContainsIgnoringCase(text) == PlainContains(model, text));
            break;
        }
        FUZZ_CHECK(list.Lines() == model);
    }
    for (const auto& line : model) {
        FUZZ_CHECK(list.ContainsIgnoringCase(core::FoldCase(line)));
    }
    return 0;
}
