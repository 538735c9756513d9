#pragma once
#include "status.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// One word as vocabulary trainers exchange it: the word, its phonetic in IPA (Unicode) and
/// the meaning ("n.词；单词").
struct ExchangeWord {
    std::string word;
    std::string ipa;
    std::string meaning;
    int line = 0; ///< the line it was read from (1-based); 0 when not read from a file
};

/// The learner's three lists, numbered as their files are ("1.bm", "2.bm", "3.bm").
enum class ExchangeList { New = 1, Mastered = 2, Review = 3 };

/// The words of one list, in list order.
struct ExchangeGroup {
    ExchangeList list = ExchangeList::New;
    std::vector<ExchangeWord> words;
};

/// "new", "mastered" or "review": the list's name in exported files and on the command line.
std::string_view ExchangeListName(ExchangeList list);

/// True when the trimmed entry has a word and is exactly word + "[" + phonetic + "]" +
/// meaning, so that it leaves the program and comes back as the same line.
bool EntryExchangeable(std::string_view entry);
/// The fields of the trimmed entry, its DFPhonetic codes read as IPA.
ExchangeWord WordFromEntry(std::string_view entry);
/// The exchangeable entries of a list; other non-empty entries are counted in skipped.
ExchangeGroup GroupFromLines(ExchangeList list, const std::vector<std::string>& lines,
                             std::size_t& skipped);

/// Builds the entry line of a word read from a file: word and phonetic trimmed (a phonetic
/// written between slashes loses them), the IPA written back in DFPhonetic codes, line breaks
/// and other control characters but the tab in any field turned into blanks. Fails naming the
/// word's line when the word is empty or holds "[" or "]", or the phonetic holds "]".
Status EntryFromWord(const ExchangeWord& word, std::string& entry);

/// Told how far (0 to 1) a long import has come; returns false to stop it, which then fails
/// with ImportCancelled. Called on the thread that reads.
using ImportProgress = std::function<bool(double done)>;

/// The entry lines of words read from a file, in file order.
struct ImportedEntries {
    std::vector<std::string> lines;
    std::size_t duplicates = 0; ///< later lines of a word already read (case ignored), left out
    std::size_t blanks = 0;     ///< entries with no word, phonetic or meaning, left out
};
/// Fails at the first word that cannot be an entry, and when there is no word at all. An
/// entry with nothing in it is passed over and counted; a word the file repeats comes in once.
Status EntriesFromWords(const std::vector<ExchangeWord>& words, ImportedEntries& out,
                        const ImportProgress& progress = {});

/// CSV as spreadsheets read it: UTF-8 with a byte-order mark, CR LF, RFC 4180 quoting, a
/// header row "word,ipa,meaning" and, when more than one list is written, a fourth column
/// "list" with the list's name. A field that a spreadsheet would take for a formula (it
/// starts with "=", "+", "-" or "@") is written with an apostrophe before it, which makes it
/// text; so is one that already starts with an apostrophe and one of those characters.
std::string WriteCsv(const std::vector<ExchangeGroup>& groups);
/// Reads delimited text in UTF-8, GBK/GB18030 or UTF-16 (DetectTextEncoding, but text that
/// is valid UTF-8 is UTF-8). The
/// separator is a comma, a tab or a semicolon, whichever splits the first rows alike.
/// KWordQuiz's "Title:" and "Author:" lines at the top are left out. A first row that names
/// a word and a meaning column (English or Chinese names) is a header and the columns are
/// taken by name; otherwise two columns are word and meaning, three or more are word, IPA
/// and meaning. Every row has as many columns as the first; blank lines are passed over. The
/// apostrophe WriteCsv puts before a formula character is taken away.
Status ReadCsv(std::string_view bytes, std::vector<ExchangeWord>& words,
               const ImportProgress& progress = {});

/// Tab-separated text that Anki imports as notes of its basic note type: front the word,
/// back "[IPA] meaning", the third column a tag naming the list, announced by Anki's file
/// headers ("#separator:tab", "#html:false", "#tags column:3").
std::string WriteAnkiText(const std::vector<ExchangeGroup>& groups);
/// Reads tab-separated text in the encodings ReadCsv reads. Anki's file headers at the top
/// are honoured (separator, html, and the tags, notetype, deck and guid columns, which are
/// left out); other lines starting with "#" are comments; KWordQuiz's "Title:" and "Author:"
/// lines are left out. The columns are then taken as by ReadCsv without a header; a back of
/// the form "[IPA] meaning" gives both fields. A file without headers whose second column is
/// mostly no phonetic is Anki's older "Notes in Plain Text": front, back, then the tags,
/// which are left out.
Status ReadAnkiText(std::string_view bytes, std::vector<ExchangeWord>& words,
                    const ImportProgress& progress = {});

} // namespace core
