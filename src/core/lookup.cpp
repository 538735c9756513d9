#include "lookup.h"

#include "utf8.h"

namespace core {

QueryKind ClassifyQuery(std::string_view query) {
    if (query.empty()) {
        return QueryKind::Empty;
    }
    bool narrow = false;
    bool wide = false;
    for (std::size_t pos = 0; pos < query.size();) {
        const Utf8Char c = DecodeUtf8At(query, pos);
        // An invalid byte is 128 or above, like the bytes of a double-byte character.
        (c.code < 0x80 ? narrow : wide) = true;
        pos += c.size;
    }
    if (narrow && wide) {
        return QueryKind::Mixed;
    }
    return wide ? QueryKind::Chinese : QueryKind::English;
}

std::string_view SentenceEnglish(std::string_view line) {
    return line.substr(0, line.find(SentenceSeparator));
}

std::string_view SentenceTranslation(std::string_view line) {
    const auto k = line.find(SentenceSeparator);
    return k == std::string_view::npos ? std::string_view{}
                                       : line.substr(k + SentenceSeparator.size());
}

bool BankLineMatches(std::string_view line, std::string_view query, BankMatch match) {
    if (query.empty()) {
        return false;
    }
    if (match == BankMatch::Containment) {
        // Both texts are UTF-8, in which no character's bytes can be mistaken for another's.
        return line.find(query) != std::string_view::npos;
    }
    const auto open = line.find('[');
    return open != std::string_view::npos && line.substr(0, open) == query;
}

bool SentenceMatches(std::string_view line, std::string_view query) {
    if (query.empty()) {
        return false;
    }
    if (static_cast<unsigned char>(query.front()) >= 0x80) {
        return line.find(query) != std::string_view::npos;
    }
    // The position rules look at the English sentence only: measured against the whole line
    // the translation would always follow a word at the end of the sentence.
    const std::string_view english = SentenceEnglish(line);
    const std::size_t p = english.find(query);
    if (p == std::string_view::npos) {
        return false;
    }
    const std::size_t after = p + query.size(); // byte just after the occurrence
    const bool spaceBefore = p > 0 && english[p - 1] == ' ';
    const bool spaceAfter = after < english.size() && english[after] == ' ';
    if (spaceBefore && spaceAfter) {
        return true;
    }
    if (p == 0) {
        if (spaceAfter) {
            return true;
        }
        if (after < english.size()) {
            const std::size_t second = after + DecodeUtf8At(english, after).size;
            if (second < english.size() && english[second] == ' ') {
                return true;
            }
        }
    }
    if (spaceBefore) {
        const std::size_t following = Utf8Length(english.substr(after));
        return following == 1 || following == 2;
    }
    return false;
}

std::vector<BankHit> ScanBanks(const std::vector<WordBankText>& banks, std::string_view query,
                               BankMatch match) {
    std::vector<BankHit> hits;
    if (query.empty()) {
        return hits;
    }
    for (std::size_t b = 0; b < banks.size(); ++b) {
        const LineText& lines = banks[b].lines;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (BankLineMatches(lines.Line(i), query, match)) {
                hits.push_back({b, i, banks[b].name, std::string(lines.Line(i))});
                break;
            }
        }
    }
    return hits;
}

std::vector<std::size_t> ScanSentences(const LineText& corpus, std::string_view query,
                                       std::size_t limit) {
    std::vector<std::size_t> hits;
    for (std::size_t i = 0; i < corpus.size() && hits.size() < limit; ++i) {
        if (SentenceMatches(corpus.Line(i), query)) {
            hits.push_back(i);
        }
    }
    return hits;
}

int StepStudyIndex(int index, int count, int step) {
    if (count <= 0) {
        return 0;
    }
    const int next = index + (step > 0 ? 1 : step < 0 ? -1 : 0);
    if (next < 0 || next > count - 1) {
        return index < 0 ? 0 : index > count - 1 ? count - 1 : index;
    }
    return next;
}

} // namespace core
