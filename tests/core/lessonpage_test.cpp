#include "core/lessonpage.h"
#include "core/textfile.h"
#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

/// n lines "prefix1", "prefix2", ...
std::vector<std::string> Numbered(const std::string& prefix, int n) {
    std::vector<std::string> lines;
    for (int k = 1; k <= n; ++k) {
        lines.push_back(prefix + std::to_string(k));
    }
    return lines;
}

class LessonPageTest : public ::testing::Test {
protected:
    void Write(const std::string& name, const std::vector<std::string>& lines) {
        std::filesystem::create_directories(dir.File("yb48"));
        ASSERT_TRUE(core::WriteTextLines(dir.AppDir() + "yb48/" + name, lines));
    }
    void WriteAllThree(int captions, int rules, int combinations) {
        Write("yinbiao.txt", Numbered("c", captions));
        Write("发音规则.txt", Numbered("r", rules));
        Write("字母组合.txt", Numbered("z", combinations));
    }

    TestDir dir;
};

TEST_F(LessonPageTest, OverviewPageIsTheHeadAndTheSixGroupsOnOneLine) {
    EXPECT_EQ(
        core::OverviewPage(),
        "<HTML><HEAD> <meta http-equiv=\"Content-Type\" content=\"text/html\" "
        "charset=\"gb2312\"><TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: \"宋体\" "
        "font-size: 14px} b{font-size: 18px}</style></HEAD><body bgcolor=\"#FFFADA\">"
        "&nbsp;&nbsp;长元音：&nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "><b>i:,E:,a:,C:,u:</b></font></br>"
        "&nbsp;&nbsp;短元音：&nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "color=\"Maroon\"><b>e,A,E,Q,C,u:</b></font></br>"
        "&nbsp;&nbsp;清辅音：&nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "color=\"#008000\"><b>p,t,k,f,W,s,F,h,tF,ts,tr</b></font></br>"
        "&nbsp;&nbsp;双元音: &nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "><b>ei,ai,Ci,Eu,au,iE,ZE,uE</b></font></br>"
        "&nbsp;&nbsp;浊辅音: &nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "color=\"Maroon\"><b>dz,b,d,g,v,T,z,V,r</b></font></br>"
        "&nbsp;&nbsp;半元音: &nbsp;&nbsp;<font face=\"DFPhonetic\" "
        "color=\"#008000\"><b>dV,dr,m,n,N,l,j,w</b></font></br>"
        "</BODY></HTML>");
}

TEST_F(LessonPageTest, SymbolPagesCarryCaptionCategoryRuleAndCombinationsUnchanged) {
    Write("yinbiao.txt", Numbered("c", 48));
    std::vector<std::string> rules = Numbered("r", 48);
    rules[21] = "声带<b>振动</b> /dz/ & more";
    Write("发音规则.txt", rules);
    std::vector<std::string> combos = Numbered("z", 48);
    combos[26] = "y：<i>yes</i> 是";
    Write("字母组合.txt", combos);
    const core::LessonData data = core::LoadLessonData(dir.AppDir());
    ASSERT_TRUE(data.problems.empty());

    const std::string head =
        "<HTML><HEAD> <meta http-equiv=\"Content-Type\" content=\"text/html\" "
        "charset=\"gb2312\"><TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: "
        "\"宋体\"; font-size: 16px}</style></HEAD><body bgcolor=\"#FFFADA\"><table border=0 "
        "width=98%>";
    struct Case {
        int k;
        std::string rows;
    };
    // The heading: the symbol in the phonetic face, its category in the cell's 宋体, both bold.
    const auto heading = [](const std::string& caption, const std::string& category) {
        return "<tr><td><B><font face=\"DFPhonetic\"  color=\"Maroon\">" + caption +
               "</font><font color=\"Maroon\">&nbsp;&nbsp;" + category + "</font></B></td></tr>";
    };
    const Case cases[] = {
        {1, heading("c1", "清辅音") +
                "<tr><td>&nbsp;&nbsp;&nbsp;&nbsp;<font face=\"DFPhonetic\" >r1"
                "</font></td></tr><tr><td><B><font color=\"Black\">字母组合    z1</B></font></td>"
                "</tr>"},
        {22, heading("c22", "浊辅音") +
                 "<tr><td>&nbsp;&nbsp;&nbsp;&nbsp;<font face=\"DFPhonetic\" >"
                 "声带<b>振动</b> /dz/ & more</font></td></tr><tr><td><B><font color=\"Black\">"
                 "字母组合    z22</B></font></td></tr>"},
        {27, heading("c27", "半元音(或浊辅音)") +
                 "<tr><td>&nbsp;&nbsp;&nbsp;&nbsp;<font "
                 "face=\"DFPhonetic\" >r27</font></td></tr><tr><td><B><font color=\"Black\">"
                 "字母组合    y：<i>yes</i> 是</B></font></td></tr>"},
        {48, heading("c48", "双元音") +
                 "<tr><td>&nbsp;&nbsp;&nbsp;&nbsp;<font face=\"DFPhonetic\" >r48"
                 "</font></td></tr><tr><td><B><font color=\"Black\">字母组合    z48</B></font></td>"
                 "</tr>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        EXPECT_EQ(core::SymbolPage(c.k, data.Caption(c.k), data.Rule(c.k), data.Combination(c.k)),
                  head + c.rows + "</table></BODY></HTML>");
    }
}

TEST_F(LessonPageTest, CategoryFollowsTheSymbolNumber) {
    struct Case {
        int from, to;
        std::string odd, even;
    };
    const Case cases[] = {
        {-1, 0, "", ""},
        {1, 22, "清辅音", "浊辅音"},
        {23, 26, "浊辅音", "浊辅音"},
        {27, 28, "半元音(或浊辅音)", "半元音(或浊辅音)"},
        {29, 33, "长元音", "长元音"},
        {34, 40, "短元音", "短元音"},
        {41, 48, "双元音", "双元音"},
        {49, 50, "", ""},
    };
    for (const Case& c : cases) {
        for (int k = c.from; k <= c.to; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(core::SymbolCategory(k), (k % 2 != 0) ? c.odd : c.even);
        }
    }
}

TEST_F(LessonPageTest, ButtonsStandInRowsOfTenFiftyTwoAcrossAndFiftyDown) {
    const int firstRow[] = {28, 80, 132, 184, 236, 288, 340, 392, 444, 496};
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(core::SymbolButtonPlace(k), (core::SymbolPlace{firstRow[k - 1], 1})) << k;
    }
    for (auto [k, place] : {std::pair{11, core::SymbolPlace{28, 51}},
                            {27, {340, 101}},
                            {40, {496, 151}},
                            {41, {28, 201}},
                            {48, {392, 201}}}) {
        EXPECT_EQ(core::SymbolButtonPlace(k), place) << k;
    }
}

TEST_F(LessonPageTest, SoundAndPagePathsLieBesideTheProgram) {
    EXPECT_EQ(core::LessonSoundPath("/p/", 1), "/p/yb48/yb48_1.wav");
    EXPECT_EQ(core::LessonSoundPath("/p/", 48), "/p/yb48/yb48_48.wav");
    EXPECT_EQ(core::LessonPagePath("/p/"), "/p/3.htm");
}

TEST_F(LessonPageTest, MissingOrShortFilesAreReportedAndLeaveOnlyWhatExists) {
    struct Case {
        const char* name;
        int captions, rules, combinations; ///< lines written; -1: no file
        std::vector<std::string> problems; ///< file name and detail of each report, in order
        int symbols;                       ///< symbols with a caption
    };
    const Case cases[] = {
        {"complete", 48, 48, 48, {}, 48},
        {"longer files", 50, 49, 60, {}, 50},
        {"no captions", -1, 48, 48, {"yinbiao.txt"}, 0},
        {"short captions", 30, 48, 48, {"yinbiao.txt:30"}, 30},
        {"short rules", 48, 20, 48, {"发音规则.txt:20"}, 48},
        {"nothing at all", -1, -1, -1, {"字母组合.txt", "发音规则.txt", "yinbiao.txt"}, 0},
        {"empty combinations", 48, 48, 0, {"字母组合.txt:0"}, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir local;
        std::filesystem::create_directories(local.File("yb48"));
        auto write = [&](const char* name, const char* prefix, int n) {
            if (n >= 0) {
                ASSERT_TRUE(
                    core::WriteTextLines(local.AppDir() + "yb48/" + name, Numbered(prefix, n)));
            }
        };
        write("yinbiao.txt", "c", c.captions);
        write("发音规则.txt", "r", c.rules);
        write("字母组合.txt", "z", c.combinations);

        const core::LessonData data = core::LoadLessonData(local.AppDir());
        std::vector<std::string> reported;
        for (const core::Status& s : data.problems) {
            EXPECT_FALSE(s.ok);
            const std::string file = std::filesystem::path(s.file).filename().string();
            EXPECT_EQ(s.file, local.AppDir() + "yb48/" + file);
            reported.push_back(s.what == core::Failure::TooFewLines ? file + ":" + s.detail : file);
        }
        EXPECT_EQ(reported, c.problems);
        int symbols = 0;
        for (int k = -1; k <= 60; ++k) {
            symbols += data.HasSymbol(k) ? 1 : 0;
        }
        EXPECT_EQ(symbols, c.symbols);
        // A symbol beyond a file's end reads as an empty line, never out of range.
        for (int k : {0, 1, 21, 48, 49, 1000}) {
            EXPECT_EQ(data.Rule(k), k >= 1 && k <= c.rules ? "r" + std::to_string(k) : "");
            EXPECT_EQ(data.Combination(k),
                      k >= 1 && k <= c.combinations ? "z" + std::to_string(k) : "");
            EXPECT_EQ(data.Caption(k), k >= 1 && k <= c.captions ? "c" + std::to_string(k) : "");
        }
    }
}

TEST_F(LessonPageTest, PageIsWrittenAsOneGb18030LineAndReplacedWhole) {
    const std::string path = core::LessonPagePath(dir.AppDir());
    ASSERT_TRUE(core::WriteLessonPage(path, core::SymbolPage(21, "c21", "long rule", "z21")));
    ASSERT_TRUE(core::WriteLessonPage(path, core::SymbolPage(22, "c22", "声带振动", "z22")));
    const std::string bytes = ReadAll(path);
    const std::string expected =
        core::Utf8ToGb18030(core::SymbolPage(22, "c22", "声带振动", "z22")) + "\r\n";
    EXPECT_EQ(bytes, expected);
    // GB18030 of "声带振动" and of the category, not UTF-8.
    EXPECT_NE(bytes.find("\xC9\xF9\xB4\xF8\xD5\xF1\xB6\xAF"), std::string::npos);
    EXPECT_NE(bytes.find("\xD7\xC7\xB8\xA8\xD2\xF4"), std::string::npos);
    EXPECT_EQ(bytes.find("c21"), std::string::npos);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1);
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.AppDir())) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(LessonPageTest, APageThatCannotBeWrittenIsAFailureNamingTheFile) {
    const std::string path = dir.AppDir() + "no-such-folder/3.htm";
    const core::Status s = core::WriteLessonPage(path, core::OverviewPage());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.what, core::Failure::Write);
    EXPECT_EQ(s.file, path);
}

} // namespace
