#pragma once
#include "status.h"

#include <string>
#include <vector>

namespace core {

/// The number of phonetic symbols, one button each.
inline constexpr int LessonSymbols = 48;

/// The lesson texts of the symbols, as far as the data files hold them. Line k of each file
/// (k = 1..48) belongs to symbol k; the texts are UTF-8.
struct LessonData {
    std::vector<std::string> captions;     ///< "yb48/yinbiao.txt": the button captions
    std::vector<std::string> rules;        ///< "yb48/发音规则.txt": the pronunciation rules
    std::vector<std::string> combinations; ///< "yb48/字母组合.txt": the letter combinations
    /// One entry per file that is missing, unreadable or shorter than 48 lines.
    std::vector<Status> problems;

    /// Whether symbol k has a caption line (a symbol without one gets no working button).
    bool HasSymbol(int k) const;
    /// Caption, rule and combination of symbol k; empty where the file has no such line.
    std::string Caption(int k) const;
    std::string Rule(int k) const;
    std::string Combination(int k) const;
};

/// Reads the three lesson files below appDir (which ends in "/"). Missing or short files are
/// noted in problems; whatever could be read is kept.
LessonData LoadLessonData(const std::string& appDir);

/// The category text of symbol k ("清辅音", "浊辅音", ...); empty outside 1..48.
std::string SymbolCategory(int k);
/// appDir + "yb48/yb48_" + k + ".wav": the model sound of symbol k.
std::string LessonSoundPath(const std::string& appDir, int k);
/// appDir + "3.htm": the page the lesson view shows.
std::string LessonPagePath(const std::string& appDir);

/// Where button k stands in its panel: ten buttons to a row, 52 pixels apart across and 50
/// down.
struct SymbolPlace {
    int left = 0;
    int top = 0;
    bool operator==(const SymbolPlace&) const = default;
};
SymbolPlace SymbolButtonPlace(int k);

/// The overview page of the six symbol groups, as one line of HTML.
std::string OverviewPage();
/// The lesson page of symbol k: caption and category, rule, letter combinations. The rule and
/// combination lines are the program's own data and go into the page as they are, markup
/// included.
std::string SymbolPage(int k, const std::string& caption, const std::string& rule,
                       const std::string& combination);

/// Writes a page to path as GB18030, one line followed by CR LF, replacing the file whole (not
/// flushed to the disk: the page is made again at every use).
Status WriteLessonPage(const std::string& path, const std::string& page);

} // namespace core
