// The lookup: a query is classified by its characters, and the index finds exactly what the
// plain scans of the bank rule and the sentence rule find. The first input line is the
// query, the others serve as a bank and as the sentence corpus.
#include "core/lookup.h"
#include "core/lookupindex.h"
#include "core/textfile.h"
#include "core/wordentry.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view input = fuzz::Text(data, size);
    const std::size_t firstBreak = input.find('\n');
    const std::string query = core::Trim(input.substr(0, firstBreak));
    const std::string rest = firstBreak == std::string_view::npos
                                 ? std::string()
                                 : std::string(input.substr(firstBreak + 1));

    const core::QueryKind kind = core::ClassifyQuery(query);
    bool narrow = false;
    bool wide = false;
    for (const unsigned char c : query) {
        (c < 128 ? narrow : wide) = true;
    }
    FUZZ_CHECK(kind == (query.empty()    ? core::QueryKind::Empty
                        : narrow && wide ? core::QueryKind::Mixed
                        : wide           ? core::QueryKind::Chinese
                                         : core::QueryKind::English));

    // The line table agrees with the line splitter.
    const core::LineText text(rest);
    const std::vector<std::string> lines = core::SplitLines(rest);
    FUZZ_CHECK(text.size() == lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(text.Line(i) == lines[i]);
        const std::string_view line = text.Line(i);
        const std::string_view english = core::SentenceEnglish(line);
        FUZZ_CHECK(line.substr(0, english.size()) == english);
    }

    if (query.empty()) {
        return 0;
    }
    core::LookupFiles files;
    files.banks.push_back(core::WordBankText{"bank", "bank.dst", core::LineText(rest)});
    files.corpus = core::LineText(rest);
    std::vector<core::WordBankText> banks;
    banks.push_back(core::WordBankText{"bank", "bank.dst", core::LineText(rest)});
    const core::LookupIndex index(std::move(files));
    for (const core::BankMatch match : {core::BankMatch::WholeWord, core::BankMatch::Containment}) {
        FUZZ_CHECK(index.FindBanks(query, match) == core::ScanBanks(banks, query, match));
    }
    FUZZ_CHECK(index.FindSentences(query) == core::ScanSentences(banks[0].lines, query));
    FUZZ_CHECK(index.FindSentences(query, 3) == core::ScanSentences(banks[0].lines, query, 3));
    return 0;
}
