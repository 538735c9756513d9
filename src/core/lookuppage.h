#pragma once
#include "linetext.h"
#include "lookup.h"
#include "status.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// Text put into a page shown as written: "&", "<", ">", '"' and "'" become entities.
std::string HtmlEscape(std::string_view text);
/// A local file as a URL: "file://" + the absolute path with every byte other than
/// letters, digits, "-", ".", "_", "~" and "/" written as %XX.
std::string FileUrl(const std::string& path);

/// The head every lookup page starts with (style, title, table start).
std::string LookupPageHead();
/// The foot every lookup page ends with.
std::string LookupPageFoot();
/// The four table rows of one hit: the bank, the word after the picture at pictureUrl, the
/// phonetic, the meaning. Word and phonetic are trimmed; every text is escaped.
std::string HitRows(const BankHit& hit, const std::string& pictureUrl);
/// The page of a search: head, the rows of every hit in order, foot; empty when there is
/// no hit (the page file is then an empty line).
std::string ResultPage(const std::vector<BankHit>& hits, const std::string& appDir);
/// The page shown by a window that has closed: head, "☆ 这里显示单词的来源和内容", foot.
std::string PlaceholderPage();
/// Writes a page file: the text and CR LF, in GB18030, replacing the file atomically (not
/// forced to the disk: pages are scratch files).
Status WritePage(const std::string& path, std::string_view text);

/// The example sentences as shown: each English sentence after one space on its own line,
/// its translation after three spaces on the next, and no break at the end. Lines are ended
/// by lineBreak.
std::string SentenceText(const LineText& corpus, const std::vector<std::size_t>& lines,
                         std::string_view lineBreak = "\r\n");

} // namespace core
