#include "core/soundindex.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(SoundIndex, ReadsOnlyTheMywavSectionIgnoringCase) {
    core::SoundIndexFile index;
    index.Parse("[Other]\r\nwork=other.wav\r\n"
                "[MYWAV]\r\n"
                "good=good.wav\r\n"
                " Work = work.wav \r\n"
                "; a comment=x\r\n"
                "good=second.wav\r\n"
                "no equals sign\r\n"
                "[Later]\r\nhouse=house.wav\r\n");
    struct Case {
        const char* word;
        const char* value;
    };
    const Case cases[] = {{"good", "good.wav"}, {"GOOD", "good.wav"},  {" work\t", "work.wav"},
                          {"WoRk", "work.wav"}, {"house", ""},         {"", ""},
                          {"; a comment", ""},  {"no equals sign", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(index.Value(c.word), c.value) << c.word;
    }
}

TEST(SoundIndex, MissingFileIsAnEmptyIndexNotAnError) {
    TestDir dir;
    core::SoundIndexFile index;
    index.Parse("[Mywav]\ngood=good.wav\n");
    EXPECT_TRUE(index.Open(dir.File("br.tif")));
    EXPECT_TRUE(index.empty());
    EXPECT_EQ(index.Value("good"), "");
}

TEST(SoundIndex, OpensGb18030File) {
    TestDir dir;
    ASSERT_TRUE(core::WriteTextLines(dir.File("br.tif"),
                                     {"[Mywav]", "café=café.wav", "ice cream=ice_cream.wav"}));
    core::SoundIndexFile index;
    ASSERT_TRUE(index.Open(dir.File("br.tif")));
    EXPECT_EQ(index.Value("CAFÉ"), "café.wav");
    EXPECT_EQ(index.Value("Ice Cream"), "ice_cream.wav");
    EXPECT_EQ(index.size(), 2u);
}

} // namespace
