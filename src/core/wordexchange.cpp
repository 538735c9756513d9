#include "wordexchange.h"

#include "gb18030.h"
#include "phonetic.h"
#include "textencoding.h"
#include "utf8.h"
#include "wordentry.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace core {
namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

std::string_view StripBom(std::string_view bytes) {
    if (bytes.substr(0, Bom.size()) == Bom) {
        bytes.remove_prefix(Bom.size());
    }
    return bytes;
}

/// The 1-based line that byte pos lies on (CR, LF and CR LF each end a line).
int LineAt(std::string_view text, std::size_t pos) {
    int line = 1;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

/// Fails at the line of the first byte that is not UTF-8 text (a NUL counts as binary data),
/// and of the first character that stands for a GBK byte which starts no character.
Status CheckUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, i);
        if (!c.valid || c.code == 0 ||
            (c.code >= KeptByteBase + 0x80 && c.code <= KeptByteBase + 0xFF)) {
            return Status::Import(Failure::ImportEncoding, {}, LineAt(text, i));
        }
        i += c.size;
    }
    return Status::Ok();
}

/// The file's text as UTF-8, whichever of the encodings the program reads it is in (Excel on
/// a Chinese Windows writes GBK, Notepad may write UTF-16).
Status DecodeText(std::string_view bytes, std::string& text) {
    TextEncoding encoding = DetectTextEncoding(bytes);
    // Text that is valid UTF-8 is read as UTF-8: an English list's phonetics are two-byte
    // characters, which the word banks' weighing takes for GBK. GBK Chinese of any length is
    // hardly ever valid UTF-8.
    if (encoding == TextEncoding::Gbk && IsValidUtf8(bytes)) {
        encoding = TextEncoding::Utf8;
    }
    if (!ConvertToUtf8(bytes, encoding, text)) {
        // Name the line of the first broken byte where the bytes tell it.
        const bool utf16 = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
        Status s = utf16 ? Status::Ok() : CheckUtf8(StripBom(bytes));
        return s ? Status::Import(Failure::ImportEncoding, {}) : s;
    }
    return CheckUtf8(text);
}

/// Steps over KWordQuiz's "Title:" and "Author:" lines at pos: its own CSV starts with them.
void SkipTitleLines(std::string_view text, std::size_t& pos, int& line) {
    while (pos < text.size()) {
        const std::string_view rest = text.substr(pos);
        if (!rest.starts_with("Title:") && !rest.starts_with("Author:")) {
            return;
        }
        pos = std::min(text.size(), text.find_first_of("\r\n", pos));
        if (pos < text.size()) {
            pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
        }
        ++line;
    }
}

/// True when the character is one of the CJK scripts, which no English word holds.
bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool HoldsCjk(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, i);
        if (IsCjk(c.code)) {
            return true;
        }
        i += c.size;
    }
    return false;
}

/// True when the text could be a phonetic: Latin letters, IPA symbols and the marks around
/// them. A meaning ("n.猫", "<b>cat</b>") is not.
bool LooksPhonetic(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, i);
        i += c.size;
        const char32_t u = c.code;
        // Control characters count as the blanks they become in an entry.
        const bool ascii = u < 0x20 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           std::u32string_view(U" '.:,/()[]-").find(u) != std::u32string_view::npos;
        const bool ipa = (u >= 0x0250 && u <= 0x036F) ||
                         std::u32string_view(U"æçðøŋœβθχ").find(u) != std::u32string_view::npos;
        if (!ascii && !ipa) {
            return false;
        }
    }
    return true;
}

/// The apostrophe that keeps a spreadsheet from taking a field for a formula: needed before a
/// formula character, and before an apostrophe that one follows, so that reading it back is
/// the exact inverse.
bool NeedsTextMark(std::string_view field) {
    constexpr std::string_view formula = "=+-@";
    if (field.empty()) {
        return false;
    }
    if (formula.find(field[0]) != std::string_view::npos) {
        return true;
    }
    return field[0] == '\'' && field.size() > 1 &&
           (formula.find(field[1]) != std::string_view::npos || field[1] == '\'');
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

/// One row of a delimited file and the line it starts on.
struct Record {
    std::vector<std::string> fields;
    int line = 0;
};

bool Blank(const Record& record) {
    return std::all_of(record.fields.begin(), record.fields.end(),
                       [](const std::string& f) { return Trim(f).empty(); });
}

/// Splits text into rows of fields. A field that starts with '"' is quoted: it runs to the
/// next '"' that is not doubled ("" stands for '"') and may span lines. Rows whose fields
/// are all blank are passed over; with hashComments, so are lines that start with '#'.
Status SplitRecords(std::string_view text, char separator, bool hashComments, int firstLine,
                    std::vector<Record>& records, const ImportProgress& progress = {}) {
    const std::size_t n = text.size();
    int line = firstLine;
    std::size_t i = 0;
    std::size_t rows = 0;
    auto endOfLine = [&](std::size_t at) {
        // Steps over the line break at `at`; returns the position after it.
        if (text[at] == '\r' && at + 1 < n && text[at + 1] == '\n') {
            ++at;
        }
        ++line;
        return at + 1;
    };
    while (i < n) {
        if (progress && ++rows % 4096 == 0 && !progress(static_cast<double>(i) / n)) {
            return Status::Import(Failure::ImportCancelled, {});
        }
        if (hashComments && text[i] == '#') {
            while (i < n && text[i] != '\r' && text[i] != '\n') {
                ++i;
            }
            if (i < n) {
                i = endOfLine(i);
            }
            continue;
        }
        Record record;
        record.line = line;
        std::string field;
        bool fieldStart = true;
        while (i < n) {
            const char c = text[i];
            if (fieldStart && c == '"') {
                const int quoteLine = line;
                bool closed = false;
                ++i;
                while (i < n) {
                    const char q = text[i];
                    if (q == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (q == '\n' || (q == '\r' && (i + 1 >= n || text[i + 1] != '\n'))) {
                        ++line;
                    }
                    field += q;
                    ++i;
                }
                if (!closed) {
                    return Status::Import(Failure::ImportUnclosedQuote, {}, quoteLine);
                }
                fieldStart = false;
                continue;
            }
            fieldStart = false;
            if (c == separator) {
                record.fields.push_back(std::move(field));
                field.clear();
                fieldStart = true;
                ++i;
                continue;
            }
            if (c == '\r' || c == '\n') {
                i = endOfLine(i);
                break;
            }
            field += c;
            ++i;
        }
        record.fields.push_back(std::move(field));
        if (!Blank(record)) {
            records.push_back(std::move(record));
        }
    }
    return Status::Ok();
}

/// The separator of delimited text: of a tab, a comma and a semicolon, the one that splits the
/// first rows into the same number of columns, at least two; where more than one does, the
/// one that leaves Chinese out of the first column (the word), then the one that makes more
/// columns, then the first of that order. A comma when none does.
char DetectSeparator(std::string_view text) {
    std::size_t end = 0;
    for (int lines = 0; lines < 50 && end < text.size(); ++lines) {
        end = std::min(text.size(), text.find('\n', end));
        end += end < text.size() ? 1 : 0;
    }
    const std::string_view head = text.substr(0, end);
    char best = ',';
    std::pair<bool, std::size_t> bestRank{false, 0};
    for (const char separator : {'\t', ',', ';'}) {
        std::vector<Record> rows;
        if (!SplitRecords(head, separator, false, 1, rows) || rows.empty()) {
            continue;
        }
        const std::size_t columns = rows.front().fields.size();
        const bool even = std::all_of(rows.begin(), rows.end(), [columns](const Record& r) {
            return r.fields.size() == columns;
        });
        if (!even || columns < 2) {
            continue;
        }
        const bool latinWords = std::none_of(
            rows.begin(), rows.end(), [](const Record& r) { return HoldsCjk(r.fields.front()); });
        const std::pair<bool, std::size_t> rank{latinWords, columns};
        if (rank > bestRank) {
            best = separator;
            bestRank = rank;
        }
    }
    return best;
}

/// Where word, IPA and meaning stand in a row; ipa < 0 when there is no phonetic column.
struct Columns {
    int word = 0;
    int ipa = -1;
    int meaning = 1;
};

/// Positional columns: two are word and meaning, three or more word, IPA and meaning.
Columns PositionalColumns(std::size_t count) {
    return count >= 3 ? Columns{0, 1, 2} : Columns{0, -1, 1};
}

/// Splits "[IPA] meaning" (the back of an Anki note, or a meaning column that carries the
/// phonetic as list entries do) into its two parts; anything else is the meaning.
void SplitBack(const std::string& back, std::string& ipa, std::string& meaning) {
    const std::size_t close = back.find(']');
    if (back.empty() || back[0] != '[' || close == std::string::npos) {
        meaning = back;
        return;
    }
    ipa = back.substr(1, close - 1);
    meaning = back.substr(close + 1);
    if (!meaning.empty() && meaning[0] == ' ') {
        meaning.erase(0, 1);
    }
}

/// Checks the column counts of the rows against the first one and reads the words.
Status WordsFromRecords(const std::vector<Record>& records, std::size_t first, Columns columns,
                        const std::vector<bool>& skipColumn, std::vector<ExchangeWord>& words) {
    if (records.empty()) {
        return Status::Import(Failure::ImportNoWords, {});
    }
    const std::size_t expected = records.front().fields.size();
    for (std::size_t r = first; r < records.size(); ++r) {
        const Record& record = records[r];
        if (record.fields.size() != expected) {
            return Status::Import(Failure::ImportColumnCount, {}, record.line,
                                  std::to_string(record.fields.size()) + "/" +
                                      std::to_string(expected));
        }
        std::vector<const std::string*> kept;
        for (std::size_t f = 0; f < record.fields.size(); ++f) {
            if (f >= skipColumn.size() || !skipColumn[f]) {
                kept.push_back(&record.fields[f]);
            }
        }
        if (kept.size() < 2) {
            return Status::Import(Failure::ImportNoColumns, {}, record.line);
        }
        ExchangeWord word;
        word.line = record.line;
        word.word = *kept[static_cast<std::size_t>(columns.word)];
        const std::string& meaning = *kept[static_cast<std::size_t>(columns.meaning)];
        if (columns.ipa >= 0) {
            word.ipa = *kept[static_cast<std::size_t>(columns.ipa)];
            word.meaning = meaning;
        } else {
            SplitBack(meaning, word.ipa, word.meaning);
        }
        words.push_back(std::move(word));
    }
    if (words.empty()) {
        return Status::Import(Failure::ImportNoWords, {});
    }
    return Status::Ok();
}

enum class HeaderName { None, Word, Ipa, Meaning, List };

HeaderName NameOfHeader(const std::string& cell) {
    static const std::pair<std::string_view, HeaderName> names[] = {
        {"word", HeaderName::Word},
        {"单词", HeaderName::Word},
        {"english", HeaderName::Word},
        {"英文", HeaderName::Word},
        {"front", HeaderName::Word},
        {"ipa", HeaderName::Ipa},
        {"phonetic", HeaderName::Ipa},
        {"pronunciation", HeaderName::Ipa},
        {"音标", HeaderName::Ipa},
        {"meaning", HeaderName::Meaning},
        {"translation", HeaderName::Meaning},
        {"back", HeaderName::Meaning},
        {"释义", HeaderName::Meaning},
        {"词义", HeaderName::Meaning},
        {"中文", HeaderName::Meaning},
        {"list", HeaderName::List},
        {"列表", HeaderName::List},
    };
    const std::string key = Lower(Trim(cell));
    for (const auto& [name, kind] : names) {
        if (key == name) {
            return kind;
        }
    }
    return HeaderName::None;
}

/// The columns a header row names, when it names a word and a meaning column.
std::optional<Columns> HeaderColumns(const Record& record) {
    Columns columns{-1, -1, -1};
    for (std::size_t f = 0; f < record.fields.size(); ++f) {
        const int at = static_cast<int>(f);
        switch (NameOfHeader(record.fields[f])) {
        case HeaderName::Word:
            columns.word = columns.word < 0 ? at : columns.word;
            break;
        case HeaderName::Ipa:
            columns.ipa = columns.ipa < 0 ? at : columns.ipa;
            break;
        case HeaderName::Meaning:
            columns.meaning = columns.meaning < 0 ? at : columns.meaning;
            break;
        case HeaderName::List:
        case HeaderName::None:
            break;
        }
    }
    if (columns.word < 0 || columns.meaning < 0) {
        return std::nullopt;
    }
    return columns;
}

/// Drops HTML tags (a line break tag becomes a blank) and decodes character references.
std::string PlainFromHtml(std::string_view html) {
    std::string out;
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t close = html.find('>', i);
            if (close == std::string_view::npos) {
                out.append(html.substr(i));
                break;
            }
            const std::string tag = Lower(html.substr(i + 1, close - i - 1));
            if (tag.rfind("br", 0) == 0 || tag.rfind("div", 0) == 0) {
                out += ' ';
            }
            i = close + 1;
            continue;
        }
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi != std::string_view::npos && semi - i <= 10) {
                const std::string name = Lower(html.substr(i + 1, semi - i - 1));
                static const std::pair<std::string_view, char32_t> named[] = {
                    {"amp", U'&'},  {"lt", U'<'},    {"gt", U'>'},
                    {"quot", U'"'}, {"apos", U'\''}, {"nbsp", U' '},
                };
                std::optional<char32_t> code;
                for (const auto& [entity, value] : named) {
                    if (name == entity) {
                        code = value;
                    }
                }
                if (!code && name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x';
                    const std::string digits = name.substr(hex ? 2 : 1);
                    if (!digits.empty() && digits.size() <= 7 &&
                        digits.find_first_not_of(hex ? "0123456789abcdef" : "0123456789") ==
                            std::string::npos) {
                        const unsigned long value = std::stoul(digits, nullptr, hex ? 16 : 10);
                        if (value > 0 && value <= 0x10FFFF) {
                            code = static_cast<char32_t>(value);
                        }
                    }
                }
                if (code) {
                    AppendUtf8(out, *code);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
}

/// Line breaks and other control characters but the tab become blanks: an entry is one line.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) {
            c = ' ';
        }
    }
    return out;
}

/// The field between double quotes, its own quotes doubled (CSV's and Anki's quoting alike).
std::string Quoted(const std::string& field) {
    std::string out = "\"";
    for (char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string CsvField(std::string field) {
    if (NeedsTextMark(field)) {
        field.insert(0, 1, '\'');
    }
    const bool quote = field.find_first_of(",\"\r\n") != std::string::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    return quote ? Quoted(field) : field;
}

/// A field of Anki's tab-separated text; the first field of a line must not start a comment.
std::string AnkiField(const std::string& field, bool first) {
    const bool quote = field.find_first_of("\t\"\r\n") != std::string::npos ||
                       (first && !field.empty() && field.front() == '#');
    return quote ? Quoted(field) : field;
}

} // namespace

std::string_view ExchangeListName(ExchangeList list) {
    switch (list) {
    case ExchangeList::New:
        return "new";
    case ExchangeList::Mastered:
        return "mastered";
    case ExchangeList::Review:
        return "review";
    }
    return "new";
}

bool EntryExchangeable(std::string_view entry) {
    const std::string line = Trim(entry);
    const std::size_t open = line.find('[');
    const std::size_t close = line.find(']');
    return open != std::string::npos && open > 0 && close != std::string::npos && close > open;
}

ExchangeWord WordFromEntry(std::string_view entry) {
    const std::string line = Trim(entry);
    ExchangeWord word;
    word.word = EntryWord(line);
    word.ipa = PhoneticCodesToIpa(EntryPhonetic(line));
    word.meaning = EntryMeaning(line);
    return word;
}

ExchangeGroup GroupFromLines(ExchangeList list, const std::vector<std::string>& lines,
                             std::size_t& skipped) {
    ExchangeGroup group;
    group.list = list;
    for (const std::string& line : lines) {
        if (Trim(line).empty()) {
            continue;
        }
        if (!EntryExchangeable(line)) {
            ++skipped;
            continue;
        }
        group.words.push_back(WordFromEntry(line));
    }
    return group;
}

Status EntryFromWord(const ExchangeWord& word, std::string& entry) {
    const std::string text = Trim(OneLine(word.word));
    std::string ipa = Trim(OneLine(word.ipa));
    // Every pair of slashes goes: a phonetic that kept one would lose it on the way back.
    while (ipa.size() >= 2 && ipa.front() == '/' && ipa.back() == '/') {
        ipa = Trim(ipa.substr(1, ipa.size() - 2));
    }
    if (text.empty()) {
        return Status::Import(Failure::ImportEmptyWord, {}, word.line);
    }
    if (text.find_first_of("[]") != std::string::npos) {
        return Status::Import(Failure::ImportBadWord, {}, word.line, text);
    }
    if (ipa.find(']') != std::string::npos) {
        return Status::Import(Failure::ImportBadWord, {}, word.line, ipa);
    }
    entry = Trim(text + "[" + IpaToPhoneticCodes(ipa) + "]" + OneLine(word.meaning));
    return Status::Ok();
}

Status EntriesFromWords(const std::vector<ExchangeWord>& words, ImportedEntries& out,
                        const ImportProgress& progress) {
    out = {};
    std::unordered_set<std::string> seen;
    seen.reserve(words.size());
    out.lines.reserve(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (progress && i % 4096 == 4095 &&
            !progress(static_cast<double>(i) / static_cast<double>(words.size()))) {
            out = {};
            return Status::Import(Failure::ImportCancelled, {});
        }
        const ExchangeWord& word = words[i];
        // Vocabulary programs leave an empty row where the learner added one and never
        // filled it in; it is no word and no fault.
        if (Trim(OneLine(word.word)).empty() && Trim(OneLine(word.ipa)).empty() &&
            Trim(OneLine(word.meaning)).empty()) {
            ++out.blanks;
            continue;
        }
        std::string entry;
        if (Status s = EntryFromWord(word, entry); !s) {
            out = {};
            return s;
        }
        if (!seen.insert(EntryWordKey(entry)).second) {
            ++out.duplicates;
            continue;
        }
        out.lines.push_back(std::move(entry));
    }
    if (out.lines.empty()) {
        return Status::Import(Failure::ImportNoWords, {});
    }
    return Status::Ok();
}

std::string WriteCsv(const std::vector<ExchangeGroup>& groups) {
    const bool withList = groups.size() > 1;
    std::string out(Bom);
    out += withList ? "word,ipa,meaning,list\r\n" : "word,ipa,meaning\r\n";
    for (const ExchangeGroup& group : groups) {
        for (const ExchangeWord& word : group.words) {
            out += CsvField(word.word) + "," + CsvField(word.ipa) + "," + CsvField(word.meaning);
            if (withList) {
                out += ",";
                out += ExchangeListName(group.list);
            }
            out += "\r\n";
        }
    }
    return out;
}

Status ReadCsv(std::string_view bytes, std::vector<ExchangeWord>& words,
               const ImportProgress& progress) {
    words.clear();
    std::string decoded;
    if (Status s = DecodeText(bytes, decoded); !s) {
        return s;
    }
    std::string_view text = decoded;
    std::size_t pos = 0;
    int line = 1;
    SkipTitleLines(text, pos, line);
    text.remove_prefix(pos);
    std::vector<Record> records;
    if (Status s = SplitRecords(text, DetectSeparator(text), false, line, records, progress); !s) {
        return s;
    }
    if (records.empty()) {
        return Status::Import(Failure::ImportNoWords, {});
    }
    for (Record& record : records) {
        for (std::string& field : record.fields) {
            if (field.size() > 1 && field[0] == '\'' && NeedsTextMark(field.substr(1))) {
                field.erase(0, 1);
            }
        }
    }
    if (const std::optional<Columns> named = HeaderColumns(records.front())) {
        return WordsFromRecords(records, 1, *named, {}, words);
    }
    return WordsFromRecords(records, 0, PositionalColumns(records.front().fields.size()), {},
                            words);
}

std::string WriteAnkiText(const std::vector<ExchangeGroup>& groups) {
    std::string out = "#separator:tab\n#html:false\n#columns:Front\tBack\tTags\n#tags column:3\n";
    for (const ExchangeGroup& group : groups) {
        const std::string tag = "langjitong::" + std::string(ExchangeListName(group.list));
        for (const ExchangeWord& word : group.words) {
            std::string back = word.meaning;
            if (!word.ipa.empty() || (!back.empty() && back.front() == '[')) {
                back = "[" + word.ipa + "] " + back;
            }
            out += AnkiField(word.word, true) + "\t" + AnkiField(back, false) + "\t" + tag + "\n";
        }
    }
    return out;
}

Status ReadAnkiText(std::string_view bytes, std::vector<ExchangeWord>& words,
                    const ImportProgress& progress) {
    words.clear();
    std::string decoded;
    if (Status s = DecodeText(bytes, decoded); !s) {
        return s;
    }
    const std::string_view text = decoded;
    char separator = '\t';
    bool html = false;
    bool headers = false;
    std::vector<bool> skip;
    int line = 1;
    std::size_t pos = 0;
    // File headers: "#key:value" lines at the top.
    while (pos < text.size() && text[pos] == '#') {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view header = text.substr(pos + 1, end - pos - 1);
        const std::size_t colon = header.find(':');
        if (colon != std::string_view::npos) {
            const std::string key = Lower(Trim(header.substr(0, colon)));
            const std::string_view raw = header.substr(colon + 1);
            const std::string value = Lower(Trim(raw));
            headers = true;
            if (key == "separator") {
                static const std::pair<std::string_view, char> names[] = {
                    {"tab", '\t'},  {"comma", ','}, {"semicolon", ';'},
                    {"space", ' '}, {"pipe", '|'},  {"colon", ':'},
                };
                for (const auto& [name, c] : names) {
                    if (value == name) {
                        separator = c;
                    }
                }
                if (raw.size() == 1) {
                    separator = raw[0];
                }
            } else if (key == "html") {
                html = value == "true";
            } else if (key == "tags column" || key == "notetype column" || key == "deck column" ||
                       key == "guid column") {
                const int column = value.find_first_not_of("0123456789") == std::string::npos &&
                                           !value.empty() && value.size() < 4
                                       ? std::stoi(value)
                                       : 0;
                if (column > 0) {
                    if (skip.size() < static_cast<std::size_t>(column)) {
                        skip.resize(static_cast<std::size_t>(column), false);
                    }
                    skip[static_cast<std::size_t>(column - 1)] = true;
                }
            }
        }
        pos = end;
        if (pos < text.size()) {
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        }
        ++line;
    }
    if (!headers) {
        // KWordQuiz's lines; after Anki's headers, such a line is a note.
        SkipTitleLines(text, pos, line);
    }
    std::vector<Record> records;
    if (Status s = SplitRecords(text.substr(pos), separator, true, line, records, progress); !s) {
        return s;
    }
    if (html) {
        for (Record& record : records) {
            for (std::string& field : record.fields) {
                field = PlainFromHtml(field);
            }
        }
    }
    std::size_t kept = 0;
    if (!records.empty()) {
        for (std::size_t f = 0; f < records.front().fields.size(); ++f) {
            kept += f >= skip.size() || !skip[f] ? 1 : 0;
        }
    }
    if (!headers && kept >= 3) {
        // Anki's older export has no headers: the note's fields, then its tags. Its second
        // column is the back of the card, where this program's third column is a phonetic.
        std::size_t phonetic = 0;
        std::size_t other = 0;
        for (const Record& record : records) {
            if (record.fields.size() > 1 && !Trim(record.fields[1]).empty()) {
                ++(LooksPhonetic(record.fields[1]) ? phonetic : other);
            }
        }
        if (other > phonetic) {
            return WordsFromRecords(records, 0, Columns{0, -1, 1}, skip, words);
        }
    }
    return WordsFromRecords(records, 0, PositionalColumns(kept), skip, words);
}

} // namespace core
