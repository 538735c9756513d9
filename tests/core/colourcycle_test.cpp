#include "core/colourcycle.h"
#include "core/studystate.h"

#include <gtest/gtest.h>

using core::Rgb;

namespace {

TEST(ColourCycleTest, TicksFromTheStartValues) {
    struct Row {
        Rgb word, phonetic, meaning;
    };
    // Start values 100, 25, 175; each component steps by 25 and restarts from 0 at 250.
    const Row rows[] = {
        {{225, 25, 175}, {255, 100, 25}, {255, 175, 100}},
        {{225, 50, 200}, {255, 125, 50}, {255, 200, 125}},
        {{225, 75, 225}, {255, 150, 75}, {255, 225, 150}},
        {{225, 100, 0}, {255, 175, 100}, {255, 0, 175}},
        {{225, 125, 25}, {255, 200, 125}, {255, 25, 200}},
        {{225, 150, 50}, {255, 225, 150}, {255, 50, 225}},
        {{225, 175, 75}, {255, 0, 175}, {255, 75, 0}},
    };
    core::StudyState s;
    s.ColourCycle1 = 100;
    s.ColourCycle2 = 25;
    s.ColourCycle3 = 175;
    int tick = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(++tick);
        const core::CardColours c = core::ColourCycleTick(s);
        EXPECT_EQ(c.word, r.word);
        EXPECT_EQ(c.phonetic, r.phonetic);
        EXPECT_EQ(c.meaning, r.meaning);
    }
}

TEST(ColourCycleTest, RepeatsEveryTenTicksAndStaysInRange) {
    core::StudyState s;
    s.ColourCycle1 = 100;
    s.ColourCycle2 = 25;
    s.ColourCycle3 = 175;
    std::vector<core::CardColours> first;
    for (int i = 0; i < 30; ++i) {
        const core::CardColours c = core::ColourCycleTick(s);
        for (const Rgb& rgb : {c.word, c.phonetic, c.meaning}) {
            for (int v : {rgb.red, rgb.green, rgb.blue}) {
                ASSERT_GE(v, 0);
                ASSERT_LE(v, 255);
            }
        }
        if (i < 10) {
            first.push_back(c);
        } else {
            EXPECT_EQ(c.word, first[i % 10].word) << "tick " << i;
            EXPECT_EQ(c.meaning, first[i % 10].meaning) << "tick " << i;
        }
    }
}

TEST(ColourCycleTest, ComponentsAtOrAbove250RestartFromZero) {
    core::StudyState s;
    s.ColourCycle1 = 250;
    s.ColourCycle2 = 300;
    s.ColourCycle3 = 249;
    const core::CardColours c = core::ColourCycleTick(s);
    EXPECT_EQ(c.word, (Rgb{225, 0, 249}));
    EXPECT_EQ(c.phonetic, (Rgb{255, 0, 0}));
    EXPECT_EQ(c.meaning, (Rgb{255, 249, 0}));
    EXPECT_EQ(s.ColourCycle1, 25);
    EXPECT_EQ(s.ColourCycle2, 25);
    EXPECT_EQ(s.ColourCycle3, 274);
}

} // namespace
