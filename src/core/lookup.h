#pragma once
#include "linetext.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// What a typed lookup query is, judged by its characters.
enum class QueryKind {
    Empty,   ///< nothing to look up
    English, ///< only characters below 128: banks are searched by whole word
    Chinese, ///< only characters of 128 and above: banks are searched by containment
    Mixed,   ///< both kinds: refused with a message
};

/// Classifies a trimmed query character by character (never past its end).
QueryKind ClassifyQuery(std::string_view query);

/// How the banks are searched.
enum class BankMatch {
    WholeWord,   ///< the text before the first "[" equals the query, letter case included
    Containment, ///< the line contains the query
};

/// A word bank read for the lookup: its display name and its lines in file order.
struct WordBankText {
    std::string name; ///< the file name up to its first "."
    std::string path; ///< the file the lines came from
    LineText lines;
};

/// One bank's answer: the first matching line of that bank.
struct BankHit {
    std::size_t bank = 0; ///< position of the bank in search order
    std::size_t line = 0; ///< 0-based line of the bank
    std::string bankName; ///< the bank's display name
    std::string entry;    ///< the whole line as it stands in the bank

    bool operator==(const BankHit& other) const = default;
};

/// At most this many example sentences are shown for one query.
inline constexpr std::size_t MaxSentences = 28;

/// The separator between the English sentence and its translation in a corpus line.
inline constexpr std::string_view SentenceSeparator = "\u2016"; // "‖"

/// The English sentence of a corpus line: everything before the first "‖" (the whole line
/// when there is none).
std::string_view SentenceEnglish(std::string_view line);
/// The translation: everything after the first "‖" (empty when there is none).
std::string_view SentenceTranslation(std::string_view line);

/// True when the bank line answers query under match (query trimmed and not empty).
bool BankLineMatches(std::string_view line, std::string_view query, BankMatch match);

/// True when the corpus line is an example sentence for query (trimmed, not empty).
///
/// A query whose first character is 128 or above (Chinese) needs only to occur in the line.
/// Otherwise only the first occurrence of the query in the English sentence counts, and it
/// is a hit when one of these holds (positions in characters): a space before it and a
/// space after it; it starts the sentence and a space follows it; it starts the sentence
/// and a space is the second character after it; a space before it and exactly one
/// character after it to the end of the sentence; a space before it and exactly two.
bool SentenceMatches(std::string_view line, std::string_view query);

/// The plain scan of the rules over every line: for each bank in order, its first matching
/// line. The reference that the index must agree with.
std::vector<BankHit> ScanBanks(const std::vector<WordBankText>& banks, std::string_view query,
                               BankMatch match);
/// The plain scan of the sentence rules: the first `limit` matching lines in file order.
std::vector<std::size_t> ScanSentences(const LineText& corpus, std::string_view query,
                                       std::size_t limit = MaxSentences);

/// Browsing the study list with the two step buttons: the next position for a step of
/// +1 (next) or -1 (previous) from index in a list of count lines. Every line from 0 to
/// count - 1 can be reached; the position stays put at either end.
int StepStudyIndex(int index, int count, int step);

} // namespace core
