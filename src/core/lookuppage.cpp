#include "lookuppage.h"

#include "textfile.h"
#include "wordentry.h"

namespace core {

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string FileUrl(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::string LookupPageHead() {
    return "<HTML><HEAD> <meta http-equiv=\"Content-Type\" content=\"text/html\" "
           "charset=\"gb2312\"><TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: "
           "\"宋体\"; font-size: 16px} b{font-size: 18px}</style></HEAD><body "
           "bgcolor=\"#FFFADA\"><table border=0 width=95%>";
}

std::string LookupPageFoot() {
    return "</table></BODY></HTML>";
}

std::string HitRows(const BankHit& hit, const std::string& pictureUrl) {
    std::string rows;
    rows += "<tr><td>《";
    rows += HtmlEscape(hit.bankName);
    rows += "》</td></tr>";
    rows += "<tr><td>&nbsp;&nbsp;<img border=0 src=\"";
    rows += HtmlEscape(pictureUrl);
    rows += "\" width=12 height=12><b><font color=\"Maroon\"> ";
    rows += HtmlEscape(Trim(EntryWord(hit.entry)));
    rows += "</font></b></td></tr>\r\n";
    rows += "<tr><td>";
    rows += "<font face=\"DFPhonetic\">&nbsp;&nbsp;【";
    rows += HtmlEscape(Trim(EntryPhonetic(hit.entry)));
    rows += "】</font></td></tr>";
    rows += "<tr><td><font color=\"#008000\">&nbsp;&nbsp;";
    rows += HtmlEscape(EntryMeaning(hit.entry));
    rows += "<hr></font></td></tr>";
    return rows;
}

std::string ResultPage(const std::vector<BankHit>& hits, const std::string& appDir) {
    if (hits.empty()) {
        return {};
    }
    const std::string picture = FileUrl(appDir + "point.gif");
    std::string page = LookupPageHead();
    for (const BankHit& hit : hits) {
        page += HitRows(hit, picture);
    }
    page += LookupPageFoot();
    return page;
}

std::string PlaceholderPage() {
    return LookupPageHead() + "<tr><td>☆ 这里显示单词的来源和内容</td></tr>" + LookupPageFoot();
}

Status WritePage(const std::string& path, std::string_view text) {
    std::string content(text);
    content += "\r\n";
    // A page is rewritten by every search and never needed after a crash: it is replaced
    // whole, but not forced to the disk first (that would keep the window waiting).
    return WriteFileAtomic(path, Utf8ToGb18030(content), false);
}

std::string SentenceText(const LineText& corpus, const std::vector<std::size_t>& lines,
                         std::string_view lineBreak) {
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string_view line = corpus.Line(lines[k]);
        if (k > 0) {
            text += lineBreak;
        }
        text += ' ';
        text += SentenceEnglish(line);
        text += lineBreak;
        text += "   ";
        text += SentenceTranslation(line);
    }
    return text;
}

} // namespace core
