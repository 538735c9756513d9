#include "lookupindex.h"

#include "learnerfiles.h"
#include "textfile.h"
#include "utf8.h"
#include "wordentry.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <queue>
#include <set>
#include <system_error>
#include <utility>

namespace core {

namespace {

bool EndsWithDstExtension(const std::string& name) {
    // Folder listings on the systems the banks come from match "*.dst" in any letter case.
    if (name.size() < 4) {
        return false;
    }
    const std::string tail = FoldCase(name.substr(name.size() - 4));
    return tail == ".dst";
}

constexpr std::uint64_t BigramFlag = std::uint64_t{1} << 32;
constexpr unsigned LineBits = 31;
constexpr std::uint64_t LineMask = (std::uint64_t{1} << LineBits) - 1;

/// Calls visit(key) for every character of 128 and above in text and for every pair of
/// such characters in a row (pairs only within the Basic Multilingual Plane).
template <typename Visit> void ForEachWideGram(std::string_view text, Visit&& visit) {
    char32_t previous = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            previous = 0;
            ++pos;
            continue;
        }
        const Utf8Char c = DecodeUtf8At(text, pos);
        pos += c.size;
        visit(std::uint64_t{c.code});
        if (previous != 0 && c.code <= 0xFFFF) {
            visit(BigramFlag | std::uint64_t{previous} << 16 | c.code);
        }
        previous = c.code <= 0xFFFF ? c.code : 0;
    }
}

/// Least-significant-digit radix sort of 64-bit values, 16 bits a pass; passes whose digit
/// is the same for every value are skipped.
void RadixSort(std::vector<std::uint64_t>& values) {
    // Each pass walks 65,536 counters: below a few thousand values a comparison sort is
    // quicker (small banks, the index of a test).
    if (values.size() < 4096) {
        std::sort(values.begin(), values.end());
        return;
    }
    std::vector<std::uint64_t> buffer(values.size());
    std::vector<std::size_t> count(65536 + 1);
    for (unsigned shift = 0; shift < 64; shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (std::uint64_t v : values) {
            ++count[((v >> shift) & 0xFFFF) + 1];
        }
        if (count[((values.front() >> shift) & 0xFFFF) + 1] == values.size()) {
            continue;
        }
        std::partial_sum(count.begin(), count.end(), count.begin());
        for (std::uint64_t v : values) {
            buffer[count[(v >> shift) & 0xFFFF]++] = v;
        }
        values.swap(buffer);
    }
}

/// The characters of text as code points (an invalid byte as U+FFFD).
std::u32string CodePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, pos);
        out.push_back(c.code);
        pos += c.size;
    }
    return out;
}

/// True when b follows from a by adding, removing or changing exactly one character.
bool OneEditApart(const std::u32string& a, const std::u32string& b) {
    const std::u32string& shorter = a.size() <= b.size() ? a : b;
    const std::u32string& longer = a.size() <= b.size() ? b : a;
    if (longer.size() - shorter.size() > 1) {
        return false;
    }
    std::size_t i = 0;
    while (i < shorter.size() && shorter[i] == longer[i]) {
        ++i;
    }
    if (shorter.size() == longer.size()) {
        return i < shorter.size() &&
               std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(i) + 1, shorter.end(),
                          longer.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
    return std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(i), shorter.end(),
                      longer.begin() + static_cast<std::ptrdiff_t>(i) + 1);
}

} // namespace

std::string SentenceCorpusPath(const std::string& appDir) {
    return appDir + "Worddata/sentence34085.txt";
}

std::string BankDisplayName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    return file.substr(0, file.find('.'));
}

namespace {

/// The bank file names of one folder in search order (see LookupBankPaths).
std::vector<std::string> BankFilesInOrder(const std::string& appDir) {
    namespace fs = std::filesystem;
    std::vector<std::string> listed; // file names of the folder
    std::error_code ec;
    const fs::path folder = fs::path(appDir) / "Worddata";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        // A dangling link or an unreadable entry is kept: reading it reports it.
        if (EndsWithDstExtension(name) && !it->is_directory(typeError)) {
            listed.push_back(name);
        }
    }
    std::sort(listed.begin(), listed.end());

    std::vector<std::string> ordered;
    std::set<std::string> taken;
    std::vector<std::string> catalogue;
    if (ReadBankCatalogue(appDir, catalogue)) {
        for (const std::string& bank : catalogue) {
            const std::string name = bank + ".dst";
            if (CheckBankName(bank) && std::binary_search(listed.begin(), listed.end(), name) &&
                taken.insert(name).second) {
                ordered.push_back(name);
            }
        }
    }
    for (const std::string& name : listed) {
        if (taken.insert(name).second) {
            ordered.push_back(name);
        }
    }
    return ordered;
}

} // namespace

std::vector<std::string> LookupBankPaths(const std::string& appDir, const std::string& learnerDir) {
    std::vector<std::string> paths;
    std::set<std::string> taken;
    for (const std::string& name : BankFilesInOrder(appDir)) {
        taken.insert(name);
        paths.push_back(appDir + "Worddata/" + name);
    }
    if (!learnerDir.empty() && learnerDir != appDir) {
        for (const std::string& name : BankFilesInOrder(learnerDir)) {
            if (taken.insert(name).second) {
                paths.push_back(learnerDir + "Worddata/" + name);
            }
        }
    }
    return paths;
}

bool ReadLookupFiles(const std::string& appDir, LookupFiles& files,
                     const std::function<bool()>& stop, const std::string& learnerDir) {
    files = LookupFiles{};
    // Every file is read and decoded in steps that ask stop(): closing the window never waits
    // for a huge or never-ending file.
    const auto readText = [&stop, &files](const std::string& path, std::string& text) {
        std::string bytes;
        bool stopped = false;
        Status s = ReadFileBytesUntil(path, bytes, stop, stopped);
        if (!s) {
            files.failures.push_back(std::move(s));
            return true;
        }
        return !stopped && Gb18030ToUtf8Until(bytes, text, stop);
    };
    for (const std::string& path : LookupBankPaths(appDir, learnerDir)) {
        std::string text;
        const std::size_t failuresBefore = files.failures.size();
        if (!readText(path, text)) {
            return false;
        }
        if (files.failures.size() == failuresBefore) {
            files.banks.push_back({BankDisplayName(path), path, LineText(std::move(text))});
        }
    }
    std::string text;
    const std::size_t failuresBefore = files.failures.size();
    if (!readText(SentenceCorpusPath(appDir), text)) {
        return false;
    }
    if (files.failures.size() == failuresBefore) {
        files.corpus = LineText(std::move(text));
    }
    return !(stop && stop());
}

// ---- wide-character postings ----

void LookupIndex::WideGrams::Build(std::size_t count,
                                   const std::function<std::string_view(std::size_t)>& line) {
    keys_.clear();
    offsets_.clear();
    postings_.clear();
    built_ = false;
    if (count > LineMask) {
        return; // too many lines to index: searches then scan
    }
    std::vector<std::uint64_t> pairs;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t lineBits = i & LineMask;
        ForEachWideGram(line(i),
                        [&](std::uint64_t key) { pairs.push_back(key << LineBits | lineBits); });
    }
    RadixSort(pairs);
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    postings_.reserve(pairs.size());
    for (std::uint64_t p : pairs) {
        const std::uint64_t key = p >> LineBits;
        if (keys_.empty() || keys_.back() != key) {
            keys_.push_back(key);
            offsets_.push_back(static_cast<std::uint32_t>(postings_.size()));
        }
        postings_.push_back(static_cast<std::uint32_t>(p & LineMask));
    }
    offsets_.push_back(static_cast<std::uint32_t>(postings_.size()));
    built_ = true;
    keys_.shrink_to_fit();
    offsets_.shrink_to_fit();
}

LookupIndex::WideGrams::Candidates LookupIndex::WideGrams::For(std::string_view text) const {
    Candidates best;
    if (!built_ || !IsValidUtf8(text)) {
        return best; // byte matches of broken text need not line up with characters
    }
    ForEachWideGram(text, [&](std::uint64_t key) {
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
        const std::uint32_t* begin = postings_.data();
        const std::uint32_t* end = postings_.data();
        if (it != keys_.end() && *it == key) {
            const auto k = static_cast<std::size_t>(it - keys_.begin());
            begin = postings_.data() + offsets_[k];
            end = postings_.data() + offsets_[k + 1];
        }
        if (!best.ok || end - begin < best.end - best.begin) {
            best = {true, begin, end};
        }
    });
    return best;
}

std::size_t LookupIndex::WideGrams::MemoryBytes() const {
    return keys_.capacity() * sizeof(std::uint64_t) +
           (offsets_.capacity() + postings_.capacity()) * sizeof(std::uint32_t);
}

// ---- the index ----

LookupIndex::LookupIndex(LookupFiles files, const std::function<bool()>& stop)
    : files_(std::move(files)) {
    const auto stopped = [&] { return stop && stop(); };
    bankStart_.push_back(0);
    for (const WordBankText& bank : files_.banks) {
        bankStart_.push_back(bankStart_.back() + static_cast<std::uint32_t>(bank.lines.size()));
    }
    if (stopped()) {
        return;
    }
    BuildWords();
    if (stopped()) {
        return;
    }
    bankGrams_.Build(bankStart_.back(), [this](std::size_t g) {
        const auto b = static_cast<std::size_t>(
            std::upper_bound(bankStart_.begin(), bankStart_.end(), g) - bankStart_.begin() - 1);
        return files_.banks[b].lines.Line(g - bankStart_[b]);
    });
    if (stopped()) {
        return;
    }
    corpusGrams_.Build(files_.corpus.size(),
                       [this](std::size_t i) { return files_.corpus.Line(i); });
    if (stopped()) {
        return;
    }
    BuildTokens();
    complete_ = true;
}

void LookupIndex::BuildWords() {
    words_.reserve(bankStart_.back());
    for (std::size_t b = 0; b < files_.banks.size(); ++b) {
        const LineText& lines = files_.banks[b].lines;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = lines.Line(i);
            const auto open = line.find('[');
            if (open == std::string_view::npos) {
                continue;
            }
            const auto hit = static_cast<std::uint32_t>(wordHits_.size());
            auto [it, added] = words_.try_emplace(line.substr(0, open), WordChain{hit, hit, 1});
            if (added) {
                wordHits_.push_back({static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(i)});
            } else if (wordHits_[it->second.last].bank != b) {
                // Only the first line of each bank counts; banks come in order.
                wordHits_[it->second.last].next = hit;
                it->second.last = hit;
                ++it->second.banks;
                wordHits_.push_back({static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(i)});
            }
        }
    }
    wordHits_.shrink_to_fit();
}

void LookupIndex::BuildTokens() {
    std::unordered_map<std::string_view, std::uint32_t> ids;
    std::vector<std::uint64_t> pairs;
    const LineText& corpus = files_.corpus;
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        const std::string_view english = SentenceEnglish(corpus.Line(i));
        std::size_t pos = 0;
        while (pos < english.size()) {
            if (english[pos] == ' ') {
                ++pos;
                continue;
            }
            std::size_t end = english.find(' ', pos);
            if (end == std::string_view::npos) {
                end = english.size();
            }
            const std::string_view token = english.substr(pos, end - pos);
            auto [it, added] = ids.try_emplace(token, static_cast<std::uint32_t>(tokens_.size()));
            if (added) {
                tokens_.push_back(token);
            }
            pairs.push_back(std::uint64_t{it->second} << 32 | i);
            pos = end;
        }
    }
    RadixSort(pairs);
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    tokenOffsets_.assign(tokens_.size() + 1, 0);
    tokenPostings_.reserve(pairs.size());
    for (std::uint64_t p : pairs) {
        ++tokenOffsets_[(p >> 32) + 1];
        tokenPostings_.push_back(static_cast<std::uint32_t>(p & 0xFFFFFFFFu));
    }
    std::partial_sum(tokenOffsets_.begin(), tokenOffsets_.end(), tokenOffsets_.begin());
    tokensSorted_.resize(tokens_.size());
    std::iota(tokensSorted_.begin(), tokensSorted_.end(), 0u);
    std::sort(tokensSorted_.begin(), tokensSorted_.end(),
              [this](std::uint32_t a, std::uint32_t b) { return tokens_[a] < tokens_[b]; });
    tokens_.shrink_to_fit();
}

BankHit LookupIndex::MakeHit(std::size_t bank, std::size_t line) const {
    const WordBankText& b = files_.banks[bank];
    return {bank, line, b.name, std::string(b.lines.Line(line))};
}

std::vector<BankHit> LookupIndex::FindBanks(std::string_view query, BankMatch match) const {
    std::vector<BankHit> hits;
    if (query.empty()) {
        return hits;
    }
    if (!complete_) {
        return ScanBanks(files_.banks, query, match);
    }
    if (match == BankMatch::WholeWord) {
        const auto it = words_.find(query);
        if (it != words_.end()) {
            for (std::uint32_t h = it->second.first; h != 0xFFFFFFFFu; h = wordHits_[h].next) {
                hits.push_back(MakeHit(wordHits_[h].bank, wordHits_[h].line));
            }
        }
        return hits;
    }
    const WideGrams::Candidates candidates = bankGrams_.For(query);
    if (!candidates.ok) {
        return ScanBanks(files_.banks, query, match);
    }
    const std::uint32_t* p = candidates.begin;
    while (p != candidates.end) {
        const std::uint32_t g = *p;
        const auto b = static_cast<std::size_t>(
            std::upper_bound(bankStart_.begin(), bankStart_.end(), g) - bankStart_.begin() - 1);
        const std::size_t line = g - bankStart_[b];
        if (BankLineMatches(files_.banks[b].lines.Line(line), query, match)) {
            hits.push_back(MakeHit(b, line));
            // One hit per bank: go on at the next bank's first line.
            p = std::lower_bound(p, candidates.end, bankStart_[b + 1]);
        } else {
            ++p;
        }
    }
    return hits;
}

std::vector<std::size_t> LookupIndex::FindSentences(std::string_view query,
                                                    std::size_t limit) const {
    if (query.empty() || limit == 0) {
        return {};
    }
    if (!complete_) {
        return ScanSentences(files_.corpus, query, limit);
    }
    if (static_cast<unsigned char>(query.front()) < 0x80) {
        return FindEnglishSentences(query, limit);
    }
    const WideGrams::Candidates candidates = corpusGrams_.For(query);
    if (!candidates.ok) {
        return ScanSentences(files_.corpus, query, limit);
    }
    std::vector<std::size_t> hits;
    for (const std::uint32_t* p = candidates.begin; p != candidates.end && hits.size() < limit;
         ++p) {
        if (SentenceMatches(files_.corpus.Line(*p), query)) {
            hits.push_back(*p);
        }
    }
    return hits;
}

std::vector<std::size_t> LookupIndex::FindEnglishSentences(std::string_view query,
                                                           std::size_t limit) const {
    if (query.front() == ' ' || !IsValidUtf8(query)) {
        return ScanSentences(files_.corpus, query, limit);
    }
    // A hit's occurrence starts a space-separated piece of the sentence. A query without a
    // space is then that whole piece, or the piece less its last one or two characters; a
    // query with a space starts with exactly the piece before its first space.
    const auto space = query.find(' ');
    const std::string_view first = query.substr(0, space);
    using Span = std::pair<const std::uint32_t*, const std::uint32_t*>;
    std::vector<Span> spans;
    auto it = std::lower_bound(
        tokensSorted_.begin(), tokensSorted_.end(), first,
        [this](std::uint32_t id, std::string_view text) { return tokens_[id] < text; });
    for (; it != tokensSorted_.end(); ++it) {
        const std::string_view token = tokens_[*it];
        if (token.substr(0, first.size()) != first) {
            break;
        }
        const bool fits = space != std::string_view::npos
                              ? token.size() == first.size()
                              : Utf8Length(token.substr(first.size())) <= 2;
        if (fits) {
            spans.emplace_back(tokenPostings_.data() + tokenOffsets_[*it],
                               tokenPostings_.data() + tokenOffsets_[*it + 1]);
        }
    }
    std::vector<std::size_t> hits;
    // Candidates in line order: merge the pieces' postings lazily, so that a frequent
    // query stops after its first hits.
    using Head = std::pair<std::uint32_t, std::size_t>; // line, span
    std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
    for (std::size_t s = 0; s < spans.size(); ++s) {
        if (spans[s].first != spans[s].second) {
            heads.emplace(*spans[s].first, s);
        }
    }
    std::size_t lastLine = static_cast<std::size_t>(-1);
    while (!heads.empty() && hits.size() < limit) {
        const auto [line, s] = heads.top();
        heads.pop();
        if (++spans[s].first != spans[s].second) {
            heads.emplace(*spans[s].first, s);
        }
        if (line == lastLine) {
            continue;
        }
        lastLine = line;
        if (SentenceMatches(files_.corpus.Line(line), query)) {
            hits.push_back(line);
        }
    }
    return hits;
}

std::vector<std::string> LookupIndex::CloseWords(std::string_view query, std::size_t max) const {
    struct Candidate {
        int group; // 0: same letters in another case, 1: one letter away
        std::uint32_t banks;
        std::size_t first; // global line of its first entry
        std::string_view word;
    };
    std::vector<Candidate> found;
    if (query.empty() || max == 0) {
        return {};
    }
    const std::string foldedQuery = FoldCase(query);
    const std::u32string queryPoints = CodePoints(foldedQuery);
    for (const auto& [word, chain] : words_) {
        // A word with blanks around it can never be typed: queries are trimmed.
        if (word.empty() || word == query || word.size() + 4 < query.size() ||
            word.size() > query.size() + 4 || Trim(word).size() != word.size()) {
            continue;
        }
        const std::string folded = FoldCase(word);
        int group = -1;
        if (folded == foldedQuery) {
            group = 0;
        } else if (OneEditApart(CodePoints(folded), queryPoints)) {
            group = 1;
        }
        if (group >= 0) {
            const WordHit& h = wordHits_[chain.first];
            found.push_back({group, chain.banks, GlobalLine(h.bank, h.line), word});
        }
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        if (a.group != b.group) {
            return a.group < b.group;
        }
        if (a.banks != b.banks) {
            return a.banks > b.banks;
        }
        return a.first < b.first;
    });
    std::vector<std::string> words;
    for (std::size_t k = 0; k < found.size() && words.size() < max; ++k) {
        words.emplace_back(found[k].word);
    }
    return words;
}

std::size_t LookupIndex::MemoryBytes() const {
    std::size_t bytes = 0;
    for (const WordBankText& bank : files_.banks) {
        bytes += bank.lines.MemoryBytes() + bank.name.capacity() + bank.path.capacity();
    }
    bytes += files_.corpus.MemoryBytes();
    bytes += bankStart_.capacity() * sizeof(std::uint32_t);
    // A hash node holds the key, the value, the cached hash and the next pointer, plus the
    // allocator's header; the bucket array one pointer per bucket.
    bytes +=
        words_.size() * (sizeof(std::string_view) + sizeof(WordChain) + 2 * sizeof(void*) + 16) +
        words_.bucket_count() * sizeof(void*);
    bytes += wordHits_.capacity() * sizeof(WordHit);
    bytes += bankGrams_.MemoryBytes() + corpusGrams_.MemoryBytes();
    bytes += tokens_.capacity() * sizeof(std::string_view) +
             (tokensSorted_.capacity() + tokenOffsets_.capacity() + tokenPostings_.capacity()) *
                 sizeof(std::uint32_t);
    return bytes;
}

} // namespace core
