// Figures for the learner-data core: the duplicate test on long lists, whole-list I/O and
// reading another program's word file.
#include "core/gb18030.h"
#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/wordexchange.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> MakeLines(int count, const std::string& tag) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        lines.push_back(tag + std::to_string(i) + "[" + "wE:d" + "]n.词；单词，字；诺言；消息");
    }
    return lines;
}

/// 10,000 AddToReview calls on a review list of 50,000 lines: half new entries, half
/// duplicates in another letter case.
void BM_AddToReview10k(benchmark::State& st) {
    const auto base = MakeLines(50000, "review");
    std::vector<std::string> entries;
    for (int i = 0; i < 10000; ++i) {
        entries.push_back(i % 2 ? "REVIEW" + std::to_string(i) + "[WE:D]N.词；单词，字；诺言；消息"
                                : "fresh" + std::to_string(i) + "[x]n.新");
    }
    for (auto _ : st) {
        st.PauseTiming();
        core::StudyState state;
        state.ReviewList.Replace(base);
        // The index of a loaded list is built at its first duplicate test (measured by
        // BM_FirstDuplicateTest50k); these are the calls after it.
        benchmark::DoNotOptimize(state.ReviewList.ContainsIgnoringCase(""));
        st.ResumeTiming();
        for (const auto& e : entries) {
            state.CurrentEntry = e;
            benchmark::DoNotOptimize(state.AddToReview());
        }
    }
    st.SetLabel("10,000 calls on 50,000 lines; target <= 2 ms");
}
BENCHMARK(BM_AddToReview10k)->Unit(benchmark::kMillisecond);

/// The first duplicate test after loading a list of 50,000 lines: it builds the list's index.
void BM_FirstDuplicateTest50k(benchmark::State& st) {
    const auto base = MakeLines(50000, "review");
    for (auto _ : st) {
        st.PauseTiming();
        core::WordList list;
        list.Replace(base);
        st.ResumeTiming();
        benchmark::DoNotOptimize(
            list.ContainsIgnoringCase("REVIEW7[WE:D]N.词；单词，字；诺言；消息"));
        st.PauseTiming();
        list = core::WordList{};
        st.ResumeTiming();
    }
    st.SetLabel("one list of 50,000 lines; paid once, at the first answer");
}
BENCHMARK(BM_FirstDuplicateTest50k)->Unit(benchmark::kMillisecond);

struct Learner {
    Learner() {
        dir = std::filesystem::temp_directory_path() / "ljt-bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        state.AppDir = dir.string() + "/";
        state.LearnerName = "学员";
        ready = core::CreateLearnerFiles(state.AppDir, state.LearnerName);
        if (ready) {
            ready = state.LoadLearnerLists();
        }
        state.NewList.Replace(MakeLines(50000, "new"));
        state.MasteredList.Replace(MakeLines(50000, "mastered"));
        state.ReviewList.Replace(MakeLines(50000, "review"));
    }
    ~Learner() { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    core::StudyState state;
    /// Whether the learner's files were made and read: figures without them mean nothing.
    core::Status ready;
};

/// The learner with its lists saved once; false (and the benchmark skipped) when that fails.
bool SavedOnce(Learner& learner, benchmark::State& st) {
    if (!learner.ready || !learner.state.SaveLearnerLists()) {
        st.SkipWithError("the learner's files could not be prepared");
        return false;
    }
    return true;
}

/// The whole save at close: all three lists changed, written as one unit (temporary files,
/// journal, renames, each synced) after a backup of the files before, with old backups pruned.
void BM_SaveThreeLists50kWithBackup(benchmark::State& st) {
    Learner learner;
    if (!SavedOnce(learner, st)) {
        return;
    }
    int round = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const std::string tag = "round" + std::to_string(++round) + "[r]n.词";
        learner.state.NewList.Append(tag);
        learner.state.MasteredList.Append(tag);
        learner.state.ReviewList.Append(tag);
        st.ResumeTiming();
        if (!learner.state.SaveLearnerLists()) {
            st.SkipWithError("save failed");
        }
    }
    st.SetLabel("three lists of 50,000 lines, with backup; target <= 60 ms");
}
BENCHMARK(BM_SaveThreeLists50kWithBackup)->Unit(benchmark::kMillisecond);

void BM_LoadThreeLists50k(benchmark::State& st) {
    Learner learner;
    if (!SavedOnce(learner, st)) {
        return;
    }
    for (auto _ : st) {
        if (!learner.state.LoadLearnerLists()) {
            st.SkipWithError("load failed");
        }
    }
    st.SetLabel("three lists of 50,000 lines; target <= 12 ms");
}
BENCHMARK(BM_LoadThreeLists50k)->Unit(benchmark::kMillisecond);

/// A GBK CSV of 100,000 rows, as Excel on a Chinese Windows saves it, read into entry lines
/// (the work the word-bank window's import does on the worker).
void BM_ImportGbkCsv100k(benchmark::State& st) {
    std::string csv = "word,ipa,meaning\r\n";
    for (int i = 0; i < 100000; ++i) {
        csv += "word" + std::to_string(i) + ",wəːd,\"n.词，单词\"\r\n";
    }
    csv = core::Utf8ToGb18030(csv);
    for (auto _ : st) {
        std::vector<core::ExchangeWord> words;
        core::ImportedEntries entries;
        if (!core::ReadCsv(csv, words) || !core::EntriesFromWords(words, entries)) {
            st.SkipWithError("import failed");
        }
        benchmark::DoNotOptimize(entries.lines.data());
    }
    st.SetLabel("100,000 rows in GBK, read and made entries");
}
BENCHMARK(BM_ImportGbkCsv100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
