// Figures for the two test modes on long lists: opening a test, one choice question, one
// spelling answer with its statistics text.
#include "core/choicetest.h"
#include "core/spelling.h"
#include "core/studystate.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

constexpr int ListLines = 50000;

std::vector<std::string> MakeLines(int count, const std::string& tag) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        lines.push_back(tag + std::to_string(i) + "[wE:d]n.词；单词，字；诺言；消息" +
                        std::to_string(i));
    }
    return lines;
}

/// A learner with three lists of 50,000 lines, studying kind.
struct Learner {
    explicit Learner(core::StudyContent kind) {
        state.NewList.Replace(MakeLines(ListLines, "new"));
        state.MasteredList.Replace(MakeLines(ListLines, "mastered"));
        state.ReviewList.Replace(MakeLines(ListLines, "review"));
        state.MasteredCount = state.ReviewCount = ListLines;
        state.ContentKind = kind;
        state.OnText = [this](core::StatText, const std::string& text) { shown = text; };
    }
    core::StudyState state;
    std::string shown; ///< the statistics text last written
};

int RightRow(const core::ChoiceTest& test) {
    const core::ChoicePanel panel = test.State() == core::ChoiceState::LowerAsking
                                        ? core::ChoicePanel::Lower
                                        : core::ChoicePanel::Upper;
    const core::ChoicePanelView& view = test.Panel(panel);
    for (int k = 0; k < 4; ++k) {
        if (view.rows[static_cast<std::size_t>(k)].text == view.pending) {
            return static_cast<int>(panel) * 4 + k;
        }
    }
    return -1;
}

void BM_OpenChoiceTest50k(benchmark::State& st) {
    Learner learner(core::StudyContent::NewWords);
    core::SeededRandom random(1);
    for (auto _ : st) {
        core::ChoiceTest test(learner.state, random);
        benchmark::DoNotOptimize(test.Start());
    }
    st.SetLabel("50,000 new + 50,000 mastered lines copied, first question; target <= 20 ms");
}
BENCHMARK(BM_OpenChoiceTest50k)->Unit(benchmark::kMillisecond);

void BM_OpenSpellingTest50k(benchmark::State& st) {
    Learner learner(core::StudyContent::NewWords);
    core::SpellingTest test(learner.state);
    const core::TimePoint now{};
    for (auto _ : st) {
        test.Start(now);
        benchmark::DoNotOptimize(test.Prepare(now, true));
    }
    st.SetLabel("50,000 new words, first word prepared; target <= 20 ms");
}
BENCHMARK(BM_OpenSpellingTest50k)->Unit(benchmark::kMicrosecond);

/// A right choice and the next question: the line leaves the new-word list, joins the
/// mastered list, three distractors are drawn and the four rows filled.
void BM_ChoiceQuestion(benchmark::State& st) {
    Learner learner(core::StudyContent::NewWords);
    core::SeededRandom random(2);
    core::ChoiceTest test(learner.state, random);
    test.Start();
    for (auto _ : st) {
        const int row = RightRow(test);
        if (row < 0) {
            st.PauseTiming();
            learner.state.NewList.Replace(MakeLines(ListLines, "new"));
            test.Start();
            st.ResumeTiming();
            continue;
        }
        benchmark::DoNotOptimize(test.Click(row));
    }
    st.SetLabel("lists of 50,000 lines; target <= 1 ms");
}
BENCHMARK(BM_ChoiceQuestion)->Unit(benchmark::kMicrosecond);

/// A right spelling of a new word: mastered list and its statistics text, the removal from
/// the new-word list, and the next word prepared.
void BM_SpellingAnswer(benchmark::State& st) {
    Learner learner(core::StudyContent::NewWords);
    core::SpellingTest test(learner.state);
    const core::TimePoint now{};
    test.Start(now);
    test.Prepare(now, false);
    for (auto _ : st) {
        if (test.Stage() != core::SpellStage::Asking) {
            st.PauseTiming();
            learner.state.NewList.Replace(MakeLines(ListLines, "new"));
            test.Start(now);
            test.Prepare(now, false);
            st.ResumeTiming();
        }
        benchmark::DoNotOptimize(test.Judge(test.SpellAnswer));
        benchmark::DoNotOptimize(learner.shown.data());
        test.Tick();
        test.Prepare(now, false);
    }
    st.SetLabel("lists of 50,000 lines; target <= 1 ms");
}
BENCHMARK(BM_SpellingAnswer)->Unit(benchmark::kMicrosecond);

/// A wrong spelling: the entry joins the review list of 50,000 lines with its two texts.
void BM_SpellingWrongAnswer(benchmark::State& st) {
    Learner learner(core::StudyContent::NewWords);
    core::SpellingTest test(learner.state);
    const core::TimePoint now{};
    test.Start(now);
    for (auto _ : st) {
        ++learner.state.WordCursor;
        test.Prepare(now, false);
        benchmark::DoNotOptimize(test.Judge("?"));
    }
    st.SetLabel("review list of 50,000 lines; target <= 1 ms");
}
BENCHMARK(BM_SpellingWrongAnswer)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
