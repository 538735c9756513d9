#pragma once
#include "linetext.h"
#include "lookup.h"
#include "status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

/// The texts the lookup searches, read from the program folder.
struct LookupFiles {
    std::vector<WordBankText> banks; ///< in search order
    LineText corpus;                 ///< the example sentences; empty when unreadable
    std::vector<Status> failures;    ///< every bank or corpus that could not be read
};

/// The word banks in search order: first the banks of the catalogue "Ebook.txt" in
/// catalogue order, then every other "*.dst" file of "Worddata" by file name (byte order).
/// So the banks a learner chooses from come first, easiest first, and the order never
/// depends on how the file system happens to list the folder. Directories are left out; a
/// file that cannot be read stays in the list so that reading it reports it. The banks of
/// learnerDir (the learner data folder of an installed program, where imported banks live)
/// follow in the same order, unless a bank of that file name came already.
std::vector<std::string> LookupBankPaths(const std::string& appDir,
                                         const std::string& learnerDir = {});
/// appDir + "Worddata/sentence34085.txt".
std::string SentenceCorpusPath(const std::string& appDir);
/// The name a bank is shown under: its file name up to the first ".".
std::string BankDisplayName(const std::string& path);

/// Reads every bank and the corpus. Unreadable files are skipped and listed in failures.
/// Returns false, with files incomplete, when stop() turned true between two files.
bool ReadLookupFiles(const std::string& appDir, LookupFiles& files,
                     const std::function<bool()>& stop = {}, const std::string& learnerDir = {});

/// The banks and the corpus indexed for the lookup. Built once, then only read, so that any
/// number of searches may use one index at the same time. Every search returns exactly what
/// the plain scans of lookup.h return for the same texts.
class LookupIndex {
public:
    LookupIndex() = default;
    /// Indexes the texts. When stop() turns true the index is left partial and Complete()
    /// is false.
    explicit LookupIndex(LookupFiles files, const std::function<bool()>& stop = {});
    // The index points into its own texts: it stays where it was built.
    LookupIndex(const LookupIndex&) = delete;
    LookupIndex& operator=(const LookupIndex&) = delete;

    /// For each bank in order, its first matching line.
    std::vector<BankHit> FindBanks(std::string_view query, BankMatch match) const;
    /// The first `limit` example sentences (corpus line numbers in file order).
    std::vector<std::size_t> FindSentences(std::string_view query,
                                           std::size_t limit = MaxSentences) const;
    /// Up to max bank words close to query: the same letters in another case first, then
    /// words one letter away (one letter added, removed or changed, case ignored). Within
    /// each group, words found in more banks come first, then in search order.
    std::vector<std::string> CloseWords(std::string_view query, std::size_t max = 5) const;

    const std::vector<WordBankText>& Banks() const { return files_.banks; }
    const LineText& Corpus() const { return files_.corpus; }
    const std::vector<Status>& Failures() const { return files_.failures; }
    bool Complete() const { return complete_; }
    /// Bytes held by the texts and the index structures (an estimate for hash tables).
    std::size_t MemoryBytes() const;

private:
    /// Postings of the characters of 128 and above: for every such character, and every
    /// pair of such characters in a row, the lines holding it, in line order.
    class WideGrams {
    public:
        /// count lines, line(i) gives line i.
        void Build(std::size_t count, const std::function<std::string_view(std::size_t)>& line);
        /// The postings that narrow a search for text the most; ok false when text has no
        /// character of 128 and above (nothing to narrow by).
        struct Candidates {
            bool ok = false;
            const std::uint32_t* begin = nullptr;
            const std::uint32_t* end = nullptr;
        };
        Candidates For(std::string_view text) const;
        std::size_t MemoryBytes() const;

    private:
        bool built_ = false;
        std::vector<std::uint64_t> keys_;
        std::vector<std::uint32_t> offsets_;
        std::vector<std::uint32_t> postings_;
    };

    struct WordChain {
        std::uint32_t first = 0; ///< index into wordHits_
        std::uint32_t last = 0;
        std::uint32_t banks = 0;
    };
    struct WordHit {
        std::uint32_t bank = 0;
        std::uint32_t line = 0;
        std::uint32_t next = 0xFFFFFFFFu;
    };

    void BuildWords();
    void BuildTokens();
    std::size_t GlobalLine(std::size_t bank, std::size_t line) const {
        return bankStart_[bank] + line;
    }
    BankHit MakeHit(std::size_t bank, std::size_t line) const;
    std::vector<std::size_t> FindEnglishSentences(std::string_view query, std::size_t limit) const;

    LookupFiles files_;
    bool complete_ = false;
    std::vector<std::uint32_t> bankStart_; ///< first global line of every bank, then the total

    /// Whole-word search: the text before "[" -> one hit per bank, chained in bank order.
    std::unordered_map<std::string_view, WordChain> words_;
    std::vector<WordHit> wordHits_;

    WideGrams bankGrams_;   ///< over global bank lines
    WideGrams corpusGrams_; ///< over corpus lines

    /// Space-separated pieces of the English sentences: piece id -> corpus lines.
    std::vector<std::string_view> tokens_;
    std::vector<std::uint32_t> tokensSorted_; ///< piece ids in text order, for prefix ranges
    std::vector<std::uint32_t> tokenOffsets_;
    std::vector<std::uint32_t> tokenPostings_;
};

} // namespace core
