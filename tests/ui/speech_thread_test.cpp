// Speech and voice comparison from many requests at once on the real speech engine: voices
// speaking to the sound server while other threads and the comparers make speech into
// memory, comparisons replaced and cancelled mid-way, and voices and comparers destroyed
// while their workers are busy. Linked with the comparer and the sound layer only, so that
// the thread-sanitizer build of these tests stays small; scripts/test runs them there too.
#include "core/pcmwave.h"
#include "core/speechtext.h"
#include "core/waveheader.h"
#include "modes/voicecomparer.h"
#include "sound/pcmoutput.h"
#include "sound/voice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <QAudioSink>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

/// True when the sound server's socket is there. Looked for without starting a process
/// (pactl): a process started under the thread sanitizer shares its memory until it runs
/// another program, and corrupts the sanitizer's records of this one.
bool PulseSocketThere() {
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        return true;
    }
    QString folder = qEnvironmentVariable("PULSE_RUNTIME_PATH");
    if (folder.isEmpty() && !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        folder = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pulse");
    }
    return !folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/native"));
}

#define REQUIRE_PULSE_SOCKET()                                                                     \
    do {                                                                                           \
        if (!PulseSocketThere()) {                                                                 \
            if (qEnvironmentVariable("CI") == QLatin1String("true")) {                             \
                FAIL() << "no PulseAudio server (CI=true: sound tests must run)";                  \
            }                                                                                      \
            GTEST_SKIP() << "no PulseAudio server";                                                \
        }                                                                                          \
    } while (0)

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray WaveBytes(const core::PcmSound& sound) {
    const auto bytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
    const auto header = core::WaveHeader(sound.channels, 16, sound.rate, bytes);
    return QByteArray(reinterpret_cast<const char*>(header.data()),
                      static_cast<qsizetype>(header.size())) +
           QByteArray(reinterpret_cast<const char*>(sound.samples.data()),
                      static_cast<qsizetype>(bytes));
}

/// The comparisons one comparer delivered, in order.
struct Delivered {
    std::vector<core::VoiceComparison> comparisons;
};

class SpeechThreads : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    static bool Wait(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }

    QTemporaryDir dir_;
};

TEST_F(SpeechThreads, VoicesSpeakWhileOtherThreadsMakeSpeechIntoMemory) {
    REQUIRE_PULSE_SOCKET();
    const std::vector<std::string> words = {"good", "morning", "sky", "thread", "queue"};
    std::vector<std::unique_ptr<sound::Voice>> voices;
    std::vector<int> finished(3, 0);
    for (std::size_t v = 0; v < 3; ++v) {
        voices.push_back(std::make_unique<sound::Voice>());
        ASSERT_TRUE(voices[v]->Register());
        QObject::connect(voices[v].get(), &sound::Voice::SpeakingFinished,
                         [&finished, v] { ++finished[v]; });
    }
    std::atomic<int> made{0};
    std::atomic<int> empty{0};
    std::vector<std::thread> makers;
    for (int t = 0; t < 3; ++t) {
        makers.emplace_back([&, t] {
            for (std::size_t k = 0; k < 4; ++k) {
                core::PcmSound sound;
                const std::string& word = words[(static_cast<std::size_t>(t) + k) % words.size()];
                if (sound::Voice::SynthesizeToMemory(word, 100 + 40 * static_cast<int>(k), sound)) {
                    ++(sound.Frames() > 0 ? made : empty);
                }
            }
        });
    }
    voices[1]->SetSpeechSpeed(250);
    for (const std::string& word : words) {
        voices[0]->SpeakText(word);
        voices[1]->SpeakText(word);
    }
    // The third is destroyed while it makes and plays a long text.
    std::string longText;
    while (longText.size() < core::MaxSpokenChars) {
        longText += "abcdefghij ";
    }
    voices[2]->SpeakText(longText);
    ASSERT_TRUE(Wait([&] { return voices[2]->Output()->Sink() != nullptr; }));
    voices[2].reset();

    ASSERT_TRUE(Wait([&] { return !voices[0]->IsSpeaking() && !voices[1]->IsSpeaking(); }));
    for (auto& maker : makers) {
        maker.join();
    }
    EXPECT_EQ(made.load(), 12);
    EXPECT_EQ(empty.load(), 0);
    // Once each: every text was queued before the first had sounded.
    EXPECT_EQ(finished, (std::vector<int>{1, 1, 0}));
    EXPECT_GT(voices[0]->Output()->TotalBytesWritten(), 0);
}

TEST_F(SpeechThreads, ComparersWithSpokenModelsUnderManyRequests) {
    REQUIRE_PULSE_SOCKET();
    core::PcmSound good;
    ASSERT_TRUE(sound::Voice::SynthesizeToMemory("good", 150, good));
    core::PcmSound silence;
    silence.rate = good.rate;
    silence.samples.assign(static_cast<std::size_t>(good.rate / 2), 0);
    const QString goodFile = Path(QStringLiteral("good.wav"));
    const QString silentFile = Path(QStringLiteral("silence.wav"));
    ASSERT_TRUE(WriteFile(goodFile, WaveBytes(good)));
    ASSERT_TRUE(WriteFile(silentFile, WaveBytes(silence)));

    // A voice speaks all along, so that the engine is shared with the comparers' models.
    sound::Voice voice;
    ASSERT_TRUE(voice.Register());
    for (int k = 0; k < 6; ++k) {
        voice.SpeakText("good morning");
    }

    constexpr std::size_t Comparers = 4;
    std::vector<std::unique_ptr<VoiceComparer>> comparers;
    std::vector<Delivered> delivered(Comparers);
    std::size_t deliveredBeforeDestroyed = 0;
    for (std::size_t c = 0; c < Comparers; ++c) {
        comparers.push_back(std::make_unique<VoiceComparer>());
        QObject::connect(comparers[c].get(), &VoiceComparer::Compared,
                         [&delivered, c](const core::VoiceComparison& comparison) {
                             delivered[c].comparisons.push_back(comparison);
                         });
        comparers[c]->SetModelSpeech("good", 150);
    }
    for (int round = 0; round < 10; ++round) {
        for (std::size_t c = 0; c < Comparers; ++c) {
            if (comparers[c]) {
                ASSERT_TRUE(comparers[c]->CompareFile(round % 2 == 1 ? goodFile : silentFile));
                EXPECT_TRUE(comparers[c]->Busy());
            }
        }
        if (round == 5) {
            comparers[1]->Cancel();
            EXPECT_FALSE(comparers[1]->Busy());
        }
        if (round == 6) {
            comparers[3].reset(); // destroyed while its worker compares
            deliveredBeforeDestroyed = delivered[3].comparisons.size();
        }
        if (round % 3 == 0) {
            QCoreApplication::processEvents(); // some results of earlier rounds come meanwhile
        }
        if (round == 7) {
            comparers[2]->SetModelSpeech("good", 150); // the model is made again in turn
        }
    }
    // The last request of each was the spoken word. Then one more, of silence: by the time it
    // is delivered, anything of the rounds before has been delivered too.
    std::vector<std::size_t> before(Comparers);
    for (std::size_t c = 0; c < 3; ++c) {
        ASSERT_TRUE(Wait([&] { return !comparers[c]->Busy(); })) << "comparer " << c;
        before[c] = delivered[c].comparisons.size();
        ASSERT_TRUE(comparers[c]->CompareFile(silentFile));
        ASSERT_TRUE(Wait([&] { return !comparers[c]->Busy(); })) << "comparer " << c;
    }
    for (std::size_t c = 0; c < 3; ++c) {
        const auto& got = delivered[c].comparisons;
        ASSERT_EQ(got.size(), before[c] + 1) << "comparer " << c << ": a late result came";
        ASSERT_GE(got.size(), 2u) << "comparer " << c;
        const core::VoiceComparison& word = got[got.size() - 2];
        EXPECT_TRUE(word.modelSpeech && word.learnerSpeech) << "comparer " << c;
        EXPECT_GE(word.Rounded(), 95) << "comparer " << c << ": the word against its own model";
        EXPECT_FALSE(got.back().learnerSpeech) << "comparer " << c;
        EXPECT_EQ(got.back().Rounded(), 0) << "comparer " << c;
    }
    EXPECT_EQ(delivered[3].comparisons.size(), deliveredBeforeDestroyed)
        << "nothing after it was destroyed";

    ASSERT_TRUE(Wait([&] { return !voice.IsSpeaking(); }));
    comparers.clear();
}

TEST_F(SpeechThreads, ComparersScoringSoundBySoundAreClosedMidScore) {
    core::PcmSound good;
    ASSERT_TRUE(sound::Voice::SynthesizeToMemory("good", 150, good));
    const QString goodFile = Path(QStringLiteral("good.wav"));
    ASSERT_TRUE(WriteFile(goodFile, WaveBytes(good)));

    constexpr std::size_t Comparers = 3;
    std::vector<std::unique_ptr<VoiceComparer>> comparers;
    std::vector<std::vector<sound::PhoneScoring>> scored(Comparers);
    for (std::size_t c = 0; c < Comparers; ++c) {
        comparers.push_back(std::make_unique<VoiceComparer>());
        QObject::connect(comparers[c].get(), &VoiceComparer::SoundsScored,
                         [&scored, c](const sound::PhoneScoring& s) { scored[c].push_back(s); });
        comparers[c]->SetModelSpeech("good", 150);
        // Each opens its own acoustic model on its worker, at the first recording.
        comparers[c]->SetExpectedWord(c == 1 ? "langjitong" : "good");
    }
    for (int round = 0; round < 4; ++round) {
        for (std::size_t c = 0; c < Comparers; ++c) {
            if (comparers[c]) {
                ASSERT_TRUE(comparers[c]->CompareFile(goodFile));
            }
        }
        if (round == 1) {
            comparers[2].reset(); // destroyed while its worker scores
        }
    }
    const std::size_t afterDestroyed = scored[2].size();
    for (std::size_t c = 0; c < 2; ++c) {
        ASSERT_TRUE(Wait([&] { return !comparers[c]->Busy(); })) << "comparer " << c;
        ASSERT_FALSE(scored[c].empty()) << "comparer " << c;
        EXPECT_TRUE(scored[c].back().status) << "comparer " << c;
        EXPECT_EQ(scored[c].back().scores.sounds.size(), c == 1 ? 8u : 3u) << "comparer " << c;
    }
    EXPECT_EQ(scored[2].size(), afterDestroyed) << "nothing after it was destroyed";
    comparers.clear();
}

} // namespace
