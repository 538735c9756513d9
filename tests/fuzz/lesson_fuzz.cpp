// Lesson data: the three lesson files are read line by line and each symbol's lines go into
// its page as they are. Whatever the files hold, every symbol gets a whole page that the
// lesson view's file encoding keeps unchanged, and a symbol has a button exactly when its
// caption line exists.
#include "core/lessonpage.h"
#include "core/textfile.h"

#include "fuzzcheck.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // The file's bytes as the program reads them (GB18030), cut into lines.
    const std::vector<std::string> lines =
        core::SplitLines(core::Gb18030ToUtf8(fuzz::Text(data, size)));
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find('\n') == std::string::npos);
    }
    core::LessonData lesson;
    lesson.captions = lines;
    lesson.rules = lines;
    lesson.combinations = lines;
    static const std::string tail = "</table></BODY></HTML>";
    // The symbols at the edges: before the first, the first two, the last lines the files
    // have, the last symbol and beyond it.
    const int count = static_cast<int>(lines.size());
    for (const int k :
         {0, 1, 2, count - 1, count, count + 1, core::LessonSymbols, core::LessonSymbols + 1}) {
        FUZZ_CHECK(lesson.HasSymbol(k) == (k >= 1 && k <= static_cast<int>(lines.size())));
        const std::string caption = lesson.Caption(k);
        FUZZ_CHECK(lesson.HasSymbol(k) || caption.empty());
        const std::string page =
            core::SymbolPage(k, caption, lesson.Rule(k), lesson.Combination(k));
        FUZZ_CHECK(page.starts_with("<HTML>"));
        FUZZ_CHECK(page.ends_with(tail));
        FUZZ_CHECK(page.find(caption) != std::string::npos);
        // The page file is written in GB18030 and read back by the view: nothing may change.
        FUZZ_CHECK(core::Gb18030ToUtf8(core::Utf8ToGb18030(page)) == page);
    }
    return 0;
}
