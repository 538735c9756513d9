#include "lessonpage.h"

#include "textfile.h"

namespace core {

namespace {

const char* const CaptionsFile = "yb48/yinbiao.txt";
const char* const RulesFile = "yb48/发音规则.txt";
const char* const CombinationsFile = "yb48/字母组合.txt";

std::string LineOf(const std::vector<std::string>& lines, int k) {
    if (k < 1 || k > static_cast<int>(lines.size())) {
        return {};
    }
    return lines[static_cast<std::size_t>(k - 1)];
}

void Load(const std::string& path, std::vector<std::string>& lines, std::vector<Status>& problems) {
    Status status = ReadTextLines(path, lines);
    if (!status) {
        lines.clear();
        problems.push_back(status);
        return;
    }
    if (lines.size() < static_cast<std::size_t>(LessonSymbols)) {
        problems.push_back(
            Status::File(Failure::TooFewLines, path, 0, std::to_string(lines.size())));
    }
}

const char* const OverviewHead =
    R"(<HTML><HEAD> <meta http-equiv="Content-Type" content="text/html" charset="gb2312">)"
    R"(<TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: "宋体" font-size: 14px} )"
    R"(b{font-size: 18px}</style></HEAD><body bgcolor="#FFFADA">)";

const char* const OverviewGroups[] = {
    R"(&nbsp;&nbsp;长元音：&nbsp;&nbsp;<font face="DFPhonetic" ><b>i:,E:,a:,C:,u:</b></font></br>)",
    R"(&nbsp;&nbsp;短元音：&nbsp;&nbsp;<font face="DFPhonetic" color="Maroon"><b>e,A,E,Q,C,u:</b></font></br>)",
    R"(&nbsp;&nbsp;清辅音：&nbsp;&nbsp;<font face="DFPhonetic" color="#008000"><b>p,t,k,f,W,s,F,h,tF,ts,tr</b></font></br>)",
    R"(&nbsp;&nbsp;双元音: &nbsp;&nbsp;<font face="DFPhonetic" ><b>ei,ai,Ci,Eu,au,iE,ZE,uE</b></font></br>)",
    R"(&nbsp;&nbsp;浊辅音: &nbsp;&nbsp;<font face="DFPhonetic" color="Maroon"><b>dz,b,d,g,v,T,z,V,r</b></font></br>)",
    R"(&nbsp;&nbsp;半元音: &nbsp;&nbsp;<font face="DFPhonetic" color="#008000"><b>dV,dr,m,n,N,l,j,w</b></font></br>)",
};

const char* const SymbolHead =
    R"(<HTML><HEAD> <meta http-equiv="Content-Type" content="text/html" charset="gb2312">)"
    R"(<TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: "宋体"; font-size: 16px})"
    R"(</style></HEAD><body bgcolor="#FFFADA"><table border=0 width=98%>)";

} // namespace

bool LessonData::HasSymbol(int k) const {
    return k >= 1 && k <= static_cast<int>(captions.size());
}

std::string LessonData::Caption(int k) const {
    return LineOf(captions, k);
}

std::string LessonData::Rule(int k) const {
    return LineOf(rules, k);
}

std::string LessonData::Combination(int k) const {
    return LineOf(combinations, k);
}

LessonData LoadLessonData(const std::string& appDir) {
    LessonData data;
    Load(appDir + CombinationsFile, data.combinations, data.problems);
    Load(appDir + RulesFile, data.rules, data.problems);
    Load(appDir + CaptionsFile, data.captions, data.problems);
    return data;
}

std::string SymbolCategory(int k) {
    if (k >= 1 && k <= 22) {
        return k % 2 == 1 ? "清辅音" : "浊辅音";
    }
    if (k >= 23 && k <= 26) {
        return "浊辅音";
    }
    if (k == 27 || k == 28) {
        return "半元音(或浊辅音)";
    }
    if (k >= 29 && k <= 33) {
        return "长元音";
    }
    if (k >= 34 && k <= 40) {
        return "短元音";
    }
    if (k >= 41 && k <= 48) {
        return "双元音";
    }
    return {};
}

std::string LessonSoundPath(const std::string& appDir, int k) {
    return appDir + "yb48/yb48_" + std::to_string(k) + ".wav";
}

std::string LessonPagePath(const std::string& appDir) {
    return appDir + "3.htm";
}

SymbolPlace SymbolButtonPlace(int k) {
    const int row = (k - 1) / 10;
    const int column = (k - 1) % 10;
    return {28 + 52 * column, 1 + 50 * row};
}

std::string OverviewPage() {
    std::string page = OverviewHead;
    for (const char* group : OverviewGroups) {
        page += group;
    }
    page += "</BODY></HTML>";
    return page;
}

std::string SymbolPage(int k, const std::string& caption, const std::string& rule,
                       const std::string& combination) {
    std::string page = SymbolHead;
    // The bold goes outside the font: a <B> inside <font face> takes the cell's 宋体 again in
    // the view, which would show the phonetic codes as plain letters ("W" for θ).
    page += R"(<tr><td><B><font face="DFPhonetic"  color="Maroon">)" + caption +
            R"(</font><font color="Maroon">&nbsp;&nbsp;)" + SymbolCategory(k) +
            "</font></B></td></tr>";
    page +=
        R"(<tr><td>&nbsp;&nbsp;&nbsp;&nbsp;<font face="DFPhonetic" >)" + rule + "</font></td></tr>";
    page += R"(<tr><td><B><font color="Black">)" + std::string("字母组合    ") + combination +
            "</B></font></td></tr>";
    page += "</table></BODY></HTML>";
    return page;
}

Status WriteLessonPage(const std::string& path, const std::string& page) {
    // The page is made again at every click; waiting for the disk would only slow it down.
    return WriteFileAtomic(path, Utf8ToGb18030(page + "\r\n"), /*sync=*/false);
}

} // namespace core
