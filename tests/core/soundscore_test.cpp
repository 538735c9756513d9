// Scoring sound by sound: the phone tables (eSpeak NG mnemonics, lesson symbols, dictionary
// entries), the goodness-of-pronunciation score from an alignment and a phone loop, and the
// hints the learner reads.
#include "core/phoneset.h"
#include "core/soundhint.h"
#include "core/soundscore.h"

#include <gtest/gtest.h>

namespace {

using core::PhoneSegment;
using core::SoundFault;
using core::SoundGrade;
using Phones = std::vector<std::string>;

TEST(PhoneSet, EspeakMnemonicsBecomeModelPhones) {
    const struct {
        const char* phonemes;
        Phones phones;
    } cases[] = {
        {"T'INk", {"TH", "IH", "NG", "K"}},
        {"D'Is", {"DH", "IH", "S"}},
        {"v'Eri", {"V", "EH", "R", "IY"}},
        {"k'A@", {"K", "AA", "R"}},
        {"h@l'oU", {"HH", "AH", "L", "OW"}},
        {"w'O:t#3", {"W", "AO", "T", "ER"}},
        {"S'i:p", {"SH", "IY", "P"}},
        {"tS'i:z", {"CH", "IY", "Z"}},
        {"f'aI@", {"F", "AY", "ER"}},
        {"m'EZ3", {"M", "EH", "ZH", "ER"}},
        {"l'aIt n'aIt", {"L", "AY", "T", "N", "AY", "T"}},
        {"_:_!%=", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::PhonesOfEspeak(c.phonemes), c.phones) << c.phonemes;
    }
}

TEST(PhoneSet, TheLongestMnemonicIsTakenAndMarksAreNone) {
    const struct {
        const char* phonemes;
        std::size_t length;
    } cases[] = {{"aI@n", 3}, {"aIt", 2}, {"at", 1}, {"'Iv", 0}, {"r'I", 1}, {"tS", 2}, {"", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(core::EspeakMnemonicLength(c.phonemes), c.length) << c.phonemes;
    }
}

TEST(PhoneSet, EveryMappedPhoneIsAModelPhone) {
    // Every printable character alone and in pairs: whatever the table gives must be alignable.
    std::string all;
    for (char c = 0x21; c < 0x7F; ++c) {
        all += c;
        all += c;
        all += 'a';
    }
    for (const std::string& phone : core::PhonesOfEspeak(all)) {
        EXPECT_TRUE(core::IsModelPhone(phone) && phone != core::SilencePhone) << phone;
    }
}

TEST(PhoneSet, LessonSymbolsHaveTheirPhones) {
    const struct {
        int k;
        Phones phones;
    } cases[] = {
        {9, {"TH"}},       {10, {"DH"}},      {11, {"S"}},  {13, {"SH"}}, {17, {"T", "S"}},
        {20, {"D", "R"}},  {29, {"IY"}},      {34, {"IH"}}, {36, {"AE"}}, {38, {"AH"}},
        {46, {"IH", "R"}}, {48, {"UH", "R"}}, {0, {}},      {49, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::LessonSymbolPhones(c.k), c.phones) << c.k;
    }
    for (int k = 1; k <= 48; ++k) {
        EXPECT_FALSE(core::LessonSymbolPhones(k).empty()) << k;
    }
}

TEST(PhoneSet, RivalsAreModelPhonesOfTheSameKind) {
    const struct {
        const char* phone;
        const char* rival;
    } cases[] = {{"TH", "S"},  {"DH", "D"},  {"V", "W"},  {"R", "L"}, {"L", "N"},
                 {"IY", "IH"}, {"AE", "EH"}, {"SH", "S"}, {"D", "T"}, {"Z", "S"}};
    for (const auto& c : cases) {
        const auto rivals = core::RivalPhones(c.phone);
        EXPECT_NE(std::find(rivals.begin(), rivals.end(), c.rival), rivals.end()) << c.phone;
    }
    for (const std::string_view phone : core::ModelPhones()) {
        for (const std::string_view rival : core::RivalPhones(phone)) {
            EXPECT_TRUE(core::IsModelPhone(rival) && rival != core::SilencePhone) << rival;
            EXPECT_NE(rival, phone);
            EXPECT_EQ(core::IsVowelPhone(rival), core::IsVowelPhone(phone)) << phone << rival;
        }
    }
    EXPECT_TRUE(core::RivalPhones("SIL").empty());
    // A British vowel the model takes for another is a vowel, and never also a rival.
    for (const std::string_view phone : core::ModelPhones()) {
        const auto rivals = core::RivalPhones(phone);
        for (const std::string_view variant : core::VariantPhones(phone)) {
            EXPECT_TRUE(core::IsVowelPhone(phone) && core::IsVowelPhone(variant)) << phone;
            EXPECT_EQ(std::find(rivals.begin(), rivals.end(), variant), rivals.end()) << phone;
        }
    }
    // Voicing inside a word is left to the loop; the last sound keeps its partner as a rival.
    const struct {
        const char* phone;
        std::vector<std::string_view> last, inside;
    } places[] = {
        {"T", {"D"}, {}},
        {"S", {"SH", "Z"}, {"SH"}},
        {"DH", {"D", "Z", "TH", "V"}, {"D", "Z", "V"}},
        {"V", {"W", "B", "F"}, {"W", "B"}},
        {"R", {"L"}, {"L"}},
    };
    for (const auto& p : places) {
        EXPECT_EQ(core::RivalPhones(p.phone), p.last) << p.phone;
        EXPECT_EQ(core::RivalPhones(p.phone, false), p.inside) << p.phone;
    }
    EXPECT_TRUE(core::VoicingPartners("T", "D") && core::VoicingPartners("D", "T"));
    EXPECT_FALSE(core::VoicingPartners("T", "S"));
    EXPECT_TRUE(core::IsVoiced("ZH") && !core::IsVoiced("SH") && !core::IsVoiced("AA"));
    EXPECT_EQ(core::LessonSymbolPhonemes(13), "S");
    EXPECT_EQ(core::LessonSymbolPhonemes(49), "");
}

TEST(PhoneSet, DictionaryEntriesAreCheckedPhoneByPhone) {
    EXPECT_EQ(core::SplitPhones(" TH  IH\tNG K "), (Phones{"TH", "IH", "NG", "K"}));
    EXPECT_TRUE(core::SplitPhones("TH XX K").empty());
    EXPECT_TRUE(core::SplitPhones("TH SIL").empty());
    EXPECT_TRUE(core::SplitPhones("").empty());
    EXPECT_EQ(core::PhoneSymbol("TH"), "θ");
    EXPECT_EQ(core::PhoneSymbol("IY"), "iː");
    EXPECT_EQ(core::PhoneSymbol("SIL"), "");
    EXPECT_TRUE(core::IsVowelPhone("ER"));
    EXPECT_FALSE(core::IsVowelPhone("R"));
}

/// Segments one after another from frame 0, each {phone, frames, log-likelihood per frame}.
std::vector<PhoneSegment> Segments(const std::vector<std::tuple<const char*, int, double>>& parts) {
    std::vector<PhoneSegment> segments;
    int at = 0;
    for (const auto& [phone, frames, perFrame] : parts) {
        segments.push_back({phone, at, at + frames - 1, perFrame * frames});
        at += frames;
    }
    return segments;
}

/// "think" said right up to its ŋ (silence, θ, ɪ, ŋ), then the end given.
std::vector<PhoneSegment>
ThinkEndingWith(const std::vector<std::tuple<const char*, int, double>>& end) {
    std::vector<std::tuple<const char*, int, double>> parts{
        {"SIL", 10, -5}, {"TH", 10, -8}, {"IH", 12, -7}, {"NG", 8, -7}};
    parts.insert(parts.end(), end.begin(), end.end());
    return Segments(parts);
}

/// "think" said right: silence, its four sounds, silence.
std::vector<PhoneSegment> ThinkSaidRight() {
    return ThinkEndingWith({{"K", 6, -8}, {"SIL", 10, -5}});
}

TEST(SoundScore, AlignmentAndLoopGiveEachSoundItsScore) {
    const Phones think{"TH", "IH", "NG", "K"};
    const auto right = ThinkSaidRight();
    const struct {
        const char* name;
        std::vector<PhoneSegment> aligned;
        std::vector<PhoneSegment> loop;
        int worst;
        SoundGrade worstGrade;
        SoundFault fault;
        const char* heardAs;
    } cases[] = {
        {"said right", right, right, 0, SoundGrade::Good, SoundFault::None, ""},
        {"θ said as s", right,
         Segments({{"SIL", 10, -5},
                   {"S", 10, 0},
                   {"IH", 12, -7},
                   {"NG", 8, -7},
                   {"K", 6, -8},
                   {"SIL", 10, -5}}),
         0, SoundGrade::Wrong, SoundFault::Substituted, "S"},
        {"final k dropped", ThinkEndingWith({{"K", 3, -12}, {"SIL", 10, -5}}),
         ThinkEndingWith({{"SIL", 13, -5}}), 3, SoundGrade::Wrong, SoundFault::Dropped, ""},
        // A vowel cut short ends like a stop's closure: the loop hears one, but the k has no
        // more frames than the model allows any phone.
        {"final k squeezed into the vowel's end", ThinkEndingWith({{"K", 4, -9}, {"SIL", 12, -5}}),
         ThinkEndingWith({{"G", 4, -9}, {"SIL", 12, -5}}), 3, SoundGrade::Wrong,
         SoundFault::Dropped, ""},
        {"a short final k heard as a stop is said",
         ThinkEndingWith({{"K", 5, -9}, {"SIL", 11, -5}}),
         ThinkEndingWith({{"G", 5, -9}, {"SIL", 11, -5}}), 0, SoundGrade::Good, SoundFault::None,
         ""},
        {"vowel after the final k", ThinkEndingWith({{"K", 6, -8}, {"SIL", 10, -9}}),
         ThinkEndingWith({{"K", 6, -8}, {"AH", 8, -6}, {"SIL", 2, -5}}), 3, SoundGrade::Wrong,
         SoundFault::ExtraVowel, "AH"},
    };
    for (const auto& c : cases) {
        const core::SoundScores s = core::ScoreSounds(think, c.aligned, c.loop);
        ASSERT_EQ(s.sounds.size(), think.size()) << c.name;
        EXPECT_EQ(s.worst, c.worst) << c.name;
        const core::SoundResult& worst = s.sounds[static_cast<std::size_t>(s.worst)];
        EXPECT_EQ(worst.grade, c.worstGrade) << c.name;
        EXPECT_EQ(worst.fault, c.fault) << c.name;
        EXPECT_EQ(worst.heardAs, c.heardAs) << c.name;
        EXPECT_EQ(s.sounds.back().final, true) << c.name;
        if (c.fault == SoundFault::None) {
            EXPECT_EQ(s.Rounded(), 100) << c.name;
            EXPECT_EQ(s.verdict, core::Verdict::VeryGood) << c.name;
        } else {
            EXPECT_LT(s.score, core::VeryGoodScore) << c.name;
            for (std::size_t i = 0; i < s.sounds.size(); ++i) {
                if (static_cast<int>(i) != c.worst) {
                    EXPECT_EQ(s.sounds[i].grade, SoundGrade::Good) << c.name << " " << i;
                }
            }
        }
    }
}

// A final consonant dropped is plain from the timing; a sound heard as another may be the
// voice's own. With both, the learner is told about the dropped one.
TEST(SoundScore, ADroppedFinalConsonantIsNamedBeforeASoundHeardOtherwise) {
    const Phones think{"TH", "IH", "NG", "K"};
    const auto aligned = ThinkEndingWith({{"K", 3, -12}, {"SIL", 10, -5}});
    const auto loop =
        Segments({{"SIL", 10, -5}, {"S", 10, 100}, {"IH", 12, -7}, {"NG", 8, -7}, {"SIL", 13, -5}});
    const core::SoundScores s = core::ScoreSounds(think, aligned, loop);
    ASSERT_EQ(s.sounds[0].fault, SoundFault::Substituted);
    ASSERT_EQ(s.sounds[0].grade, SoundGrade::Wrong);
    EXPECT_EQ(s.worst, 3);
    EXPECT_EQ(s.sounds[3].fault, SoundFault::Dropped);
}

TEST(SoundScore, AWiderGapScoresLower) {
    const Phones s{"S"};
    const auto aligned = Segments({{"S", 10, -10}});
    double previous = 101;
    for (double loopPerFrame : {-10.0, -9.0, -8.0, -6.0, -3.0, 0.0}) {
        const double score =
            core::ScoreSounds(s, aligned, Segments({{"SH", 10, loopPerFrame}})).score;
        EXPECT_LE(score, previous) << loopPerFrame;
        EXPECT_GE(score, 0.0);
        previous = score;
    }
    EXPECT_LT(previous, core::CloseScore);
    // A loop decoding worse than the alignment (it is pruned harder) is no bonus.
    EXPECT_EQ(core::ScoreSounds(s, aligned, Segments({{"S", 10, -20}})).score, 100.0);
}

TEST(SoundScore, ASoundSaidAloneIsNeverADroppedFinalConsonant) {
    const auto aligned = Segments({{"SIL", 10, -5}, {"SH", 3, -9}, {"SIL", 10, -5}});
    const auto loop = Segments({{"SIL", 13, -6}, {"AH", 8, -4}, {"SIL", 2, -5}});
    const core::SoundScores alone = core::ScoreSounds({"SH"}, aligned, loop);
    ASSERT_EQ(alone.sounds.size(), 1u);
    EXPECT_EQ(alone.sounds[0].fault, SoundFault::None);
}

TEST(SoundScore, AnAlignmentOfOtherPhonesScoresNothing) {
    const Phones think{"TH", "IH", "NG", "K"};
    for (const auto& aligned :
         {Segments({{"TH", 10, -8}, {"IH", 10, -8}}),
          Segments({{"S", 10, -8}, {"IH", 10, -8}, {"NG", 5, -8}, {"K", 5, -8}}),
          std::vector<PhoneSegment>{}}) {
        const core::SoundScores s = core::ScoreSounds(think, aligned, aligned);
        EXPECT_EQ(s.score, 0.0);
        EXPECT_EQ(s.verdict, core::Verdict::TryAgain);
        ASSERT_EQ(s.sounds.size(), 4u);
        EXPECT_EQ(s.sounds[0].grade, SoundGrade::Wrong);
        // No sound was found, so none is blamed: the hint is about the word.
        EXPECT_TRUE(s.wordMissed);
        EXPECT_EQ(core::ScoresHint(s), "听起来不像这个单词：先听一遍示范，再把整个词跟读出来");
    }
    EXPECT_EQ(core::ScoreSounds({}, {}, {}).worst, -1);
    EXPECT_FALSE(core::ScoreSounds({}, {}, {}).wordMissed);
    EXPECT_EQ(core::ScoresHint(core::ScoreSounds({}, {}, {})), "");
}

TEST(SoundScore, OnlyARecordingMatchingTheModelOverrulesTheSounds) {
    core::SoundScores sounds;
    sounds.score = 40;
    sounds.verdict = core::Verdict::TryAgain;
    const struct {
        double comparison;
        double score;
        core::Verdict verdict;
    } cases[] = {
        {0, 40, core::Verdict::TryAgain},
        {90, 40, core::Verdict::TryAgain},
        {core::ModelMatchScore, core::ModelMatchScore, core::Verdict::VeryGood},
        {100, 100, core::Verdict::VeryGood},
    };
    for (const auto& c : cases) {
        const core::SoundScores s = core::WithModelComparison(sounds, c.comparison);
        EXPECT_EQ(s.score, c.score) << c.comparison;
        EXPECT_EQ(s.verdict, c.verdict) << c.comparison;
    }
    sounds.score = 99;
    EXPECT_EQ(core::WithModelComparison(sounds, 96).score, 99) << "never lowered";
}

TEST(SoundScore, TheRivalsTellWhatWasSaidInstead) {
    const Phones think{"TH", "IH", "NG", "K"};
    const auto aligned = ThinkSaidRight();
    // The loop hears what was aligned: only the rivals tell.
    const struct {
        const char* name;
        std::vector<PhoneSegment> rivals;
        int worst;
        SoundGrade grade;
        SoundFault fault;
        const char* heardAs;
    } cases[] = {
        {"said right", aligned, 0, SoundGrade::Good, SoundFault::None, ""},
        {"θ said as s",
         Segments({{"SIL", 10, -5},
                   {"S", 10, -3},
                   {"IH", 12, -7},
                   {"NG", 8, -7},
                   {"K", 6, -8},
                   {"SIL", 10, -5}}),
         0, SoundGrade::Wrong, SoundFault::Substituted, "S"},
        {"s fits no better than θ",
         Segments({{"SIL", 10, -5},
                   {"S", 10, -8.5},
                   {"IH", 12, -7},
                   {"NG", 8, -7},
                   {"K", 6, -8},
                   {"SIL", 10, -5}}),
         0, SoundGrade::Good, SoundFault::None, ""},
        {"final k left out", ThinkEndingWith({{"SIL", 16, -2}}), 3, SoundGrade::Wrong,
         SoundFault::Dropped, ""},
        {"a vowel after the k", ThinkEndingWith({{"K", 6, -8}, {"AH", 8, -2}, {"SIL", 2, -5}}), 3,
         SoundGrade::Wrong, SoundFault::ExtraVowel, "AH"},
        // A vowel as long as a syllable's was said, however faintly the model knows it; a
        // short one may be the k's release.
        {"a long vowel after the k that fits no better",
         ThinkEndingWith({{"K", 6, -8}, {"AH", 8, -6}, {"SIL", 2, -5}}), 3, SoundGrade::Wrong,
         SoundFault::ExtraVowel, "AH"},
        {"a short vowel after the k that fits no better",
         ThinkEndingWith({{"K", 6, -8}, {"AH", 7, -6}, {"SIL", 3, -5}}), 3, SoundGrade::Good,
         SoundFault::None, ""},
        {"no rival there: not heeded",
         Segments({{"SIL", 10, -5},
                   {"M", 10, -1},
                   {"IH", 12, -7},
                   {"NG", 8, -7},
                   {"K", 6, -8},
                   {"SIL", 10, -5}}),
         0, SoundGrade::Good, SoundFault::None, ""},
    };
    // Plain gaps and fixed rival constants, so that the cases do not hang on the learned table
    // or on the constants the benchmark last tuned.
    core::SoundCalibration plain;
    plain.phoneGaps.clear();
    plain.unheardRivals.clear();
    plain.rivalFreeGap = -0.5;
    plain.rivalGapScale = 2.5;
    for (const auto& c : cases) {
        const core::SoundScores s = core::ScoreSounds(think, aligned, aligned, c.rivals, plain);
        ASSERT_EQ(s.sounds.size(), think.size()) << c.name;
        EXPECT_EQ(s.worst, c.worst) << c.name;
        const core::SoundResult& worst = s.sounds[static_cast<std::size_t>(s.worst)];
        EXPECT_EQ(worst.grade, c.grade) << c.name;
        EXPECT_EQ(worst.fault, c.fault) << c.name;
        EXPECT_EQ(worst.heardAs, c.heardAs) << c.name;
        EXPECT_EQ(s.verdict == core::Verdict::VeryGood, c.grade == SoundGrade::Good) << c.name;
    }
}

TEST(SoundScore, ARivalNeverHeardForTheRightSoundIsWrongWhereverItIsPlaced) {
    const Phones think{"TH", "IH", "NG", "K"};
    const auto aligned = ThinkSaidRight();
    core::SoundCalibration c;
    c.phoneGaps.clear();
    c.unheardRivals = {{"TH", "S"}};
    // Each rival fits the θ's frames no better than θ itself.
    const struct {
        const char* rival;
        SoundGrade grade;
        const char* heardAs;
    } cases[] = {
        {"S", SoundGrade::Wrong, "S"},
        {"F", SoundGrade::Good, ""},
    };
    for (const auto& k : cases) {
        const auto rivals = Segments({{"SIL", 10, -5},
                                      {k.rival, 10, -8.5},
                                      {"IH", 12, -7},
                                      {"NG", 8, -7},
                                      {"K", 6, -8},
                                      {"SIL", 10, -5}});
        const core::SoundScores s = core::ScoreSounds(think, aligned, aligned, rivals, c);
        ASSERT_EQ(s.sounds.size(), think.size()) << k.rival;
        EXPECT_EQ(s.sounds[0].grade, k.grade) << k.rival;
        EXPECT_EQ(s.sounds[0].heardAs, k.heardAs) << k.rival;
        EXPECT_EQ(s.sounds[0].rival, k.rival) << k.rival;
    }
}

TEST(SoundScore, SoundsSaidTheBritishWayAreRightInsideAWord) {
    // The American model's loop hears the open a of British "back" as ʌ; "car" leaves its r
    // out, which the aligner squeezes into the vowel's end; the symbol æ said alone is no word.
    const Phones back{"B", "AE", "K"}, car{"K", "AA", "R"}, ae{"AE"};
    const auto backAligned = Segments({{"B", 8, -6}, {"AE", 12, -30}, {"K", 6, -8}});
    const auto backHeard = Segments({{"B", 8, -6}, {"AH", 12, -8}, {"K", 6, -8}});
    const auto carAligned = Segments({{"K", 6, -6}, {"AA", 15, -10}, {"R", 3, -9}});
    const auto carHeard = Segments({{"K", 6, -6}, {"AA", 18, -12}});
    const auto aeAlone = Segments({{"AE", 12, -30}}), ahAlone = Segments({{"AH", 12, -8}});
    const struct {
        const char* name;
        const Phones& phones;
        const std::vector<PhoneSegment>&aligned, &heard;
        std::size_t sound;
        SoundGrade grade;
    } cases[] = {
        {"the British a of back", back, backAligned, backHeard, 1, SoundGrade::Good},
        {"the r of car left out", car, carAligned, carHeard, 2, SoundGrade::Good},
        {"the symbol æ said alone as ʌ", ae, aeAlone, ahAlone, 0, SoundGrade::Wrong},
    };
    core::SoundCalibration plain;
    plain.phoneGaps.clear();
    for (const auto& c : cases) {
        // The rivals' alignment takes what the loop heard.
        const auto s = core::ScoreSounds(c.phones, c.aligned, c.heard, c.heard, plain);
        ASSERT_EQ(s.sounds.size(), c.phones.size()) << c.name;
        EXPECT_EQ(s.sounds[c.sound].grade, c.grade) << c.name;
    }
}

TEST(SoundScore, ALessonSymbolIsToldFromItsRival) {
    // An s recorded for the ʃ of the lesson, and a ʃ: the rivals' alignment picks the one said.
    const auto aligned = Segments({{"SIL", 10, -5}, {"SH", 15, -9}, {"SIL", 10, -5}});
    const auto saidS = Segments({{"SIL", 10, -5}, {"S", 15, -4}, {"SIL", 10, -5}});
    const core::SoundScores s = core::ScoreSounds({"SH"}, aligned, aligned, saidS);
    EXPECT_EQ(s.verdict, core::Verdict::TryAgain);
    EXPECT_EQ(s.sounds[0].heardAs, "S");
    EXPECT_EQ(core::ScoreSounds({"SH"}, aligned, aligned, aligned).verdict,
              core::Verdict::VeryGood);
}

TEST(SoundScore, AWordWhosePhonesFitNoSpeechIsAnotherWord) {
    // The phones of the word squeezed into the pauses, the speech left to the silence around:
    // each phone fits its few frames, the word as a whole does not.
    const Phones it{"IH", "T"};
    const auto aligned = Segments({{"SIL", 30, -6}, {"IH", 3, -2}, {"T", 5, -2}, {"SIL", 9, -1}});
    const auto loop = Segments({{"SIL", 5, -1},
                                {"TH", 10, -2},
                                {"IY", 15, -2},
                                {"IH", 3, -2},
                                {"T", 5, -2},
                                {"SIL", 9, -1}});
    const core::SoundScores s = core::ScoreSounds(it, aligned, loop);
    EXPECT_EQ(s.sounds[0].grade, SoundGrade::Good);
    EXPECT_EQ(s.verdict, core::Verdict::TryAgain);
    EXPECT_TRUE(s.wordMissed) << "good sounds, failed by the word check alone";
    EXPECT_FALSE(core::WithModelComparison(s, 97).wordMissed) << "said as the model says it";
    EXPECT_EQ(core::ScoreSounds(it, loop, loop).verdict, core::Verdict::TryAgain)
        << "the alignment does not hold the word";
}

TEST(SoundScore, SpeechLeftToThePausesIsAnotherWordButNotALessonsBreath) {
    // The loop hears a long stretch of speech where the alignment puts silence, and fits it no
    // better: by the fit alone the word passes, by the speech left over it is another word.
    // A symbol said alone has breath and pauses around it and is not judged so.
    const auto aligned = [](const Phones& phones) {
        std::vector<std::tuple<const char*, int, double>> parts{{"SIL", 95, -1}};
        for (const std::string& p : phones) {
            parts.emplace_back(p.c_str(), 5, -2);
        }
        parts.emplace_back("SIL", 10, -1);
        return Segments(parts);
    };
    const auto loop = [](const Phones& phones) {
        std::vector<std::tuple<const char*, int, double>> parts{{"SIL", 5, -1}, {"AH", 90, -1}};
        for (const std::string& p : phones) {
            parts.emplace_back(p.c_str(), 5, -2);
        }
        parts.emplace_back("SIL", 10, -1);
        return Segments(parts);
    };
    core::SoundCalibration withoutPauses;
    withoutPauses.pauseWeight = 0;
    const struct {
        Phones phones;
        core::Verdict verdict;
    } cases[] = {
        {{"IH", "T"}, core::Verdict::TryAgain},
        {{"S"}, core::Verdict::VeryGood},
        {{"T", "S"}, core::Verdict::VeryGood},
    };
    for (const auto& c : cases) {
        const auto a = aligned(c.phones);
        const auto l = loop(c.phones);
        EXPECT_EQ(core::ScoreSounds(c.phones, a, l).verdict, c.verdict) << c.phones[0];
        EXPECT_EQ(core::ScoreSounds(c.phones, a, l, {}, withoutPauses).verdict,
                  core::Verdict::VeryGood)
            << c.phones[0];
    }
}

TEST(SoundScore, APhoneIsMeasuredAgainstItsUsualGap) {
    // The same gap costs a phone that is usually heard with a wide gap less than one that is
    // usually heard with none; a phone without a norm is taken as it is.
    core::SoundCalibration c;
    const auto scoreOf = [&c](const char* phone) {
        return core::ScoreSounds({phone}, Segments({{phone, 10, -8}}), Segments({{"F", 10, -2}}),
                                 {}, c)
            .score;
    };
    c.phoneGaps.clear();
    const double plain = scoreOf("S");
    EXPECT_LT(plain, 100.0);
    c.phoneGaps = {{"S", 0, 0.5}, {"SH", 2, 4}};
    EXPECT_GT(scoreOf("SH"), scoreOf("S"));
    EXPECT_LT(scoreOf("S"), plain);
    EXPECT_EQ(scoreOf("Z"), plain);
}

TEST(SoundHint, TypicalConfusionsGetTheirAdvice) {
    const auto sound = [](const char* phone, SoundGrade grade, SoundFault fault, const char* heard,
                          bool final = false) {
        core::SoundResult s;
        s.phone = phone;
        s.symbol = core::PhoneSymbol(phone);
        s.grade = grade;
        s.fault = fault;
        s.heardAs = heard;
        s.final = final;
        return s;
    };
    const struct {
        core::SoundResult sound;
        const char* hint;
    } cases[] = {
        {sound("TH", SoundGrade::Wrong, SoundFault::Substituted, "S"),
         "θ 听起来像 s：舌尖放在上下齿之间，轻轻送气"},
        {sound("V", SoundGrade::Wrong, SoundFault::Substituted, "W"),
         "v 听起来像 w：上齿轻触下唇，让气流从齿唇间摩擦而出"},
        {sound("IY", SoundGrade::Close, SoundFault::Substituted, "IH"),
         "iː 听起来像 ɪ：嘴角向两边咧开，把音拉长"},
        {sound("D", SoundGrade::Wrong, SoundFault::Substituted, "T", true),
         "d 听起来像 t：词尾的浊辅音要带声，前面的元音读得稍长"},
        {sound("D", SoundGrade::Wrong, SoundFault::Substituted, "T", false),
         "d 听起来像 t：再听一遍示范，注意这个音的口型"},
        {sound("K", SoundGrade::Wrong, SoundFault::Dropped, "", true),
         "词尾的 k 没有读出来：结尾的辅音要轻轻读出，不要吞掉"},
        {sound("T", SoundGrade::Wrong, SoundFault::ExtraVowel, "AH", true),
         "t 后面多了一个元音：词尾的辅音读完就停，不要加“额”"},
        {sound("NG", SoundGrade::Close, SoundFault::None, ""),
         "ŋ 不够清楚：再听一遍示范，注意这个音的口型"},
        {sound("TH", SoundGrade::Good, SoundFault::None, ""), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::SoundHint(c.sound), c.hint) << c.sound.phone;
    }
}

TEST(SoundHint, TheDescriptionNamesEverySoundAndTheHint) {
    const Phones think{"TH", "IH", "NG", "K"};
    const auto aligned = Segments({{"TH", 10, -8}, {"IH", 12, -7}, {"NG", 8, -7}, {"K", 6, -8}});
    const auto loop = Segments({{"S", 10, 0}, {"IH", 12, -7}, {"NG", 8, -7}, {"K", 6, -8}});
    const core::SoundScores s = core::ScoreSounds(think, aligned, loop);
    const std::string text = core::DescribeSoundScores(s);
    EXPECT_NE(text.find("得分 " + std::to_string(s.Rounded())), std::string::npos) << text;
    EXPECT_NE(text.find("θ 不对，ɪ 好，ŋ 好，k 好"), std::string::npos) << text;
    EXPECT_NE(text.find("θ 听起来像 s"), std::string::npos) << text;
    EXPECT_FALSE(s.wordMissed);
    EXPECT_EQ(core::ScoresHint(s), core::SoundHint(s.sounds[0]));
}

} // namespace

namespace {

// Only a word said right teaches the model the learner's voice: a sound said wrong would teach
// it the mistake.
TEST(SoundScores, KeptAsVoiceSampleOnlyWhenEverySoundWasRight) {
    const auto scores = [](double score, std::vector<SoundGrade> grades, bool missed) {
        core::SoundScores s;
        s.score = score;
        s.wordMissed = missed;
        for (const SoundGrade grade : grades) {
            core::SoundResult sound;
            sound.grade = grade;
            s.sounds.push_back(sound);
        }
        return s;
    };
    const struct {
        const char* what;
        core::SoundScores scores;
        bool kept;
    } rows[] = {
        {"said right", scores(90, {SoundGrade::Good, SoundGrade::Close}, false), true},
        {"at the edge of close", scores(core::CloseScore, {SoundGrade::Close}, false), true},
        {"one sound wrong", scores(70, {SoundGrade::Good, SoundGrade::Wrong}, false), false},
        {"below close", scores(core::CloseScore - 1, {SoundGrade::Close}, false), false},
        {"another word", scores(90, {SoundGrade::Good}, true), false},
        {"no sounds", scores(90, {}, false), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(core::KeptAsVoiceSample(row.scores), row.kept) << row.what;
    }
}

} // namespace
