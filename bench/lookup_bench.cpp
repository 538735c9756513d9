// Figures for the word and sentence lookup: the indexed search beside the plain scan of the
// rules, at the shipped data and at ten times its size (generated here).
//   build/bench/lookup_bench [program folder]     (default: the built data folder)
// Prints, per data size: reading and indexing time, index memory, and per phase (banks,
// sentences) the median, 95th percentile and worst time of the index and of the scan over
// a sample of real queries (English bank words and Chinese words from the meanings).
#include "core/lookup.h"
#include "core/lookupindex.h"
#include "core/lookuppage.h"
#include "core/textfile.h"
#include "core/utf8.h"
#include "core/wordentry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

struct Spread {
    double median = 0;
    double p95 = 0;
    double worst = 0;
    double total = 0;
};

Spread SpreadOf(std::vector<double> ms) {
    Spread s;
    if (ms.empty()) {
        return s;
    }
    std::sort(ms.begin(), ms.end());
    s.median = ms[ms.size() / 2];
    s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    s.worst = ms.back();
    for (double v : ms) {
        s.total += v;
    }
    return s;
}

struct Query {
    std::string text;
    core::BankMatch match;
};

/// English words of the banks and two-character Chinese words of their meanings, spread
/// evenly over the banks.
std::vector<Query> SampleQueries(const core::LookupIndex& index) {
    std::vector<Query> english;
    std::vector<Query> chinese;
    for (const auto& bank : index.Banks()) {
        const std::size_t step = std::max<std::size_t>(1, bank.lines.size() / 40);
        for (std::size_t i = 0; i < bank.lines.size(); i += step) {
            const std::string_view line = bank.lines.Line(i);
            const std::string word = core::Trim(core::EntryWord(line));
            if (!word.empty()) {
                english.push_back({word, core::BankMatch::WholeWord});
            }
            const std::string meaning = core::EntryMeaning(line);
            // The first two characters of 128 and above that stand together.
            for (std::size_t pos = 0; pos < meaning.size();) {
                const auto a = core::DecodeUtf8At(meaning, pos);
                if (a.code >= 0x4E00 && a.code <= 0x9FFF && pos + a.size < meaning.size()) {
                    const auto b = core::DecodeUtf8At(meaning, pos + a.size);
                    if (b.code >= 0x4E00 && b.code <= 0x9FFF) {
                        chinese.push_back(
                            {meaning.substr(pos, a.size + b.size), core::BankMatch::Containment});
                        break;
                    }
                }
                pos += a.size;
            }
        }
    }
    std::vector<Query> all = english;
    all.insert(all.end(), chinese.begin(), chinese.end());
    return all;
}

struct PhaseTimes {
    std::vector<double> banks;
    std::vector<double> sentences;
};

/// Times both phases for every query, each as the window runs it: find, then build the text
/// it shows. Best of `rounds` per query, so that a stray interruption does not count.
PhaseTimes TimeQueries(const std::vector<Query>& queries, int rounds,
                       const std::function<std::vector<core::BankHit>(const Query&)>& banks,
                       const std::function<std::vector<std::size_t>(const Query&)>& sentences,
                       const core::LineText& corpus, const std::string& appDir) {
    PhaseTimes t;
    std::size_t sink = 0;
    for (const Query& q : queries) {
        double bestBanks = 1e300;
        double bestSentences = 1e300;
        for (int r = 0; r < rounds; ++r) {
            auto start = Clock::now();
            const auto hits = banks(q);
            sink += core::ResultPage(hits, appDir).size();
            auto middle = Clock::now();
            const auto lines = sentences(q);
            sink += core::SentenceText(corpus, lines, "\n").size();
            auto end = Clock::now();
            bestBanks = std::min(bestBanks, Ms(middle - start));
            bestSentences = std::min(bestSentences, Ms(end - middle));
        }
        t.banks.push_back(bestBanks);
        t.sentences.push_back(bestSentences);
    }
    if (sink == 42) {
        std::puts("");
    }
    return t;
}

void PrintRow(const char* what, const Spread& s, const char* target) {
    std::printf("  %-30s median %9.4f ms   p95 %9.4f ms   worst %9.4f ms   %s\n", what, s.median,
                s.p95, s.worst, target);
}

/// Reads, indexes and measures one program folder.
void Measure(const std::string& appDir, const char* title, bool tenfold) {
    std::printf("\n== %s (%s)\n", title, appDir.c_str());
    // Reading and indexing, five times; the median counts.
    std::vector<double> readMs;
    std::vector<double> indexMs;
    std::unique_ptr<core::LookupIndex> index;
    long rssBefore = 0;
    long rssAfter = 0;
    for (int round = 0; round < 5; ++round) {
        index.reset();
        if (round == 0) {
            rssBefore = RssKb();
        }
        auto start = Clock::now();
        core::LookupFiles files;
        core::ReadLookupFiles(appDir, files);
        auto read = Clock::now();
        index = std::make_unique<core::LookupIndex>(std::move(files));
        auto built = Clock::now();
        if (round == 0) {
            rssAfter = RssKb(); // the first build: later ones reuse the freed pages
        }
        readMs.push_back(Ms(read - start));
        indexMs.push_back(Ms(built - read));
    }
    std::size_t bankLines = 0;
    for (const auto& bank : index->Banks()) {
        bankLines += bank.lines.size();
    }
    std::printf("  %zu banks, %zu bank lines, %zu sentences\n", index->Banks().size(), bankLines,
                index->Corpus().size());
    std::vector<double> buildMs(readMs.size());
    for (std::size_t k = 0; k < readMs.size(); ++k) {
        buildMs[k] = readMs[k] + indexMs[k];
    }
    std::printf("  read + decode %8.1f ms, index %8.1f ms, together %8.1f ms (median of 5)%s\n",
                SpreadOf(readMs).median, SpreadOf(indexMs).median, SpreadOf(buildMs).median,
                tenfold ? "" : "   target <= 300 ms");
    std::printf("  index memory %8.1f MB counted, resident set grew %8.1f MB%s\n",
                index->MemoryBytes() / 1048576.0, (rssAfter - rssBefore) / 1024.0,
                tenfold ? "" : "   target <= 40 MB");

    const std::vector<Query> queries = SampleQueries(*index);
    const core::LookupIndex& idx = *index;
    const auto indexed = TimeQueries(
        queries, 5, [&](const Query& q) { return idx.FindBanks(q.text, q.match); },
        [&](const Query& q) { return idx.FindSentences(q.text); }, idx.Corpus(), appDir);
    const auto scanned = TimeQueries(
        queries, 1, [&](const Query& q) { return core::ScanBanks(idx.Banks(), q.text, q.match); },
        [&](const Query& q) { return core::ScanSentences(idx.Corpus(), q.text); }, idx.Corpus(),
        appDir);
    std::printf("  %zu queries (English bank words, Chinese words of the meanings)\n",
                queries.size());
    const Spread ib = SpreadOf(indexed.banks);
    const Spread is = SpreadOf(indexed.sentences);
    const Spread sb = SpreadOf(scanned.banks);
    const Spread ss = SpreadOf(scanned.sentences);
    PrintRow("bank phase, index", ib, tenfold ? "target <= 5 ms" : "target <= 1 ms");
    PrintRow("bank phase, plain scan", sb, "");
    PrintRow("sentence phase, index", is, tenfold ? "target <= 10 ms" : "target <= 2 ms");
    PrintRow("sentence phase, plain scan", ss, "");
    std::printf("  speed-up over the scan: banks %.0fx (median) %.0fx (all queries), "
                "sentences %.0fx (median) %.0fx (all queries)%s\n",
                sb.median / ib.median, sb.total / ib.total, ss.median / is.median,
                ss.total / is.total, tenfold ? "   target >= 20x" : "");
    // A few queries the learner types often, shown one by one.
    for (const char* text : {"the", "a", "cat", "apple", "go", "abandon", "苹果", "的"}) {
        Query q{text, core::ClassifyQuery(text) == core::QueryKind::Chinese
                          ? core::BankMatch::Containment
                          : core::BankMatch::WholeWord};
        const auto one = TimeQueries(
            {q}, 5, [&](const Query& x) { return idx.FindBanks(x.text, x.match); },
            [&](const Query& x) { return idx.FindSentences(x.text); }, idx.Corpus(), appDir);
        const auto base = TimeQueries(
            {q}, 1, [&](const Query& x) { return core::ScanBanks(idx.Banks(), x.text, x.match); },
            [&](const Query& x) { return core::ScanSentences(idx.Corpus(), x.text); }, idx.Corpus(),
            appDir);
        std::printf("    %-8s banks %7.3f ms (scan %7.3f)   sentences %7.3f ms (scan %7.3f)\n",
                    text, one.banks[0], base.banks[0], one.sentences[0], base.sentences[0]);
    }
}

/// Stops the run when the enlarged data cannot be made: its figures would be of less data.
void Check(const core::Status& status, const std::string& file) {
    if (!status) {
        std::fprintf(stderr, "lookup_bench: %s failed\n", file.c_str());
        std::exit(1);
    }
}

/// Writes a program folder with ten times the banks and sentences of source: each bank
/// line once as it is and nine times with the word changed into a new word, each sentence
/// once as it is and nine times with its words shuffled.
std::string MakeTenfold(const std::string& source, const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    fs::remove_all(target);
    fs::create_directories(target / "Worddata");
    fs::copy_file(fs::path(source) / "Ebook.txt", target / "Ebook.txt");
    std::mt19937 rng(12);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz";
    for (const std::string& path : core::LookupBankPaths(source)) {
        std::vector<std::string> lines;
        if (!core::ReadTextLines(path, lines)) {
            continue;
        }
        std::vector<std::string> out;
        out.reserve(lines.size() * 10);
        for (int copy = 0; copy < 10; ++copy) {
            for (const std::string& line : lines) {
                if (copy == 0) {
                    out.push_back(line);
                    continue;
                }
                const auto open = line.find('[');
                const std::string word = open == std::string::npos ? "" : line.substr(0, open);
                std::string changed = word;
                changed.insert(changed.size() > 1 ? 1 + rng() % (changed.size() - 1) : 0, 1,
                               letters[rng() % letters.size()]);
                changed += letters[copy];
                out.push_back(open == std::string::npos ? line : changed + line.substr(open));
            }
        }
        const std::string bank = (target / "Worddata" / fs::path(path).filename()).string();
        Check(core::WriteTextLines(bank, out), bank);
    }
    std::vector<std::string> sentences;
    Check(core::ReadTextLines(core::SentenceCorpusPath(source), sentences),
          core::SentenceCorpusPath(source));
    std::vector<std::string> out;
    out.reserve(sentences.size() * 10);
    for (int copy = 0; copy < 10; ++copy) {
        for (const std::string& line : sentences) {
            if (copy == 0) {
                out.push_back(line);
                continue;
            }
            std::string english(core::SentenceEnglish(line));
            std::string end;
            while (!english.empty() && std::ispunct(static_cast<unsigned char>(english.back()))) {
                end.insert(end.begin(), english.back());
                english.pop_back();
            }
            std::vector<std::string> words;
            std::size_t pos = 0;
            while (pos <= english.size()) {
                auto space = english.find(' ', pos);
                if (space == std::string::npos) {
                    space = english.size();
                }
                words.push_back(english.substr(pos, space - pos));
                pos = space + 1;
            }
            std::shuffle(words.begin(), words.end(), rng);
            std::string joined;
            for (const auto& w : words) {
                joined += (joined.empty() ? "" : " ") + w;
            }
            out.push_back(joined + end + "‖" + std::string(core::SentenceTranslation(line)));
        }
    }
    const std::string corpus = core::SentenceCorpusPath(target.string() + "/");
    Check(core::WriteTextLines(corpus, out), corpus);
    return target.string() + "/";
}

} // namespace

int main(int argc, char** argv) {
    std::string appDir = argc > 1 ? argv[1] : LJT_BENCH_DATA;
    if (appDir.empty() || appDir.back() != '/') {
        appDir += '/';
    }
    if (!core::FileExists(core::SentenceCorpusPath(appDir))) {
        std::fprintf(stderr, "lookup_bench: no data in %s\n", appDir.c_str());
        return 1;
    }
    Measure(appDir, "shipped data", false);
    const auto tenfold = std::filesystem::temp_directory_path() / "ljt-lookup-bench-10x";
    Measure(MakeTenfold(appDir, tenfold), "ten times the shipped data", true);
    std::filesystem::remove_all(tenfold);
    return 0;
}
