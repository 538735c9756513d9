// The learner's texts for failures: Chinese throughout, the file named, the system's reason
// worded by the program rather than in the system's English.
#include "host/errortext.h"
#include "sound/sounderror.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

bool HasLatinLetter(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

TEST(ErrorText, EverySystemErrorNumberIsWordedInChinese) {
    // Every number the system defines, and numbers it does not.
    for (int error = 1; error < 200; ++error) {
        const QString text = SystemErrorText(error);
        EXPECT_FALSE(text.isEmpty()) << error;
        EXPECT_FALSE(HasLatinLetter(text)) << error << ": " << text.toStdString();
    }
    // The common ones have sentences of their own, not the number.
    for (int error : {ENOENT, EEXIST, EPERM, EACCES, ENOTEMPTY, ENOSPC, EROFS, EXDEV, ELOOP}) {
        EXPECT_FALSE(SystemErrorText(error).contains(QString::number(error))) << error;
    }
}

TEST(ErrorText, EveryFailureNamesItsFileInChinese) {
    const std::string file = "/app/Li/Li1.bm";
    for (int what = static_cast<int>(core::Failure::Open);
         what <= static_cast<int>(core::Failure::NameProgramFile); ++what) {
        const auto failure = static_cast<core::Failure>(what);
        core::Status status = core::Status::Fail(failure, file, EEXIST);
        status.role = core::NameRole::Learner;
        QString text = ErrorText(status);
        ASSERT_FALSE(text.isEmpty()) << what;
        const bool namesFile = text.contains(QString::fromStdString(file));
        text.remove(QString::fromStdString(file));
        if (failure == core::Failure::NotFound) {
            // The word-bank window's report keeps the words learners know from it.
            EXPECT_EQ(text, QStringLiteral("File not found: “”"));
            continue;
        }
        // The speech engine is called by its own name.
        text.remove(QStringLiteral("eSpeak NG"));
        EXPECT_FALSE(HasLatinLetter(text)) << what << ": " << text.toStdString();
        const bool device = sound::IsDeviceFailure(status) ||
                            failure == core::Failure::SoundNoFileName ||
                            (failure >= core::Failure::NameEmpty);
        EXPECT_TRUE(namesFile || device) << what << ": " << text.toStdString();
    }
}

TEST(ErrorText, FailuresOfTheWorkersSayWhatStopped) {
    core::Status lookup = core::Status::Fail(core::Failure::LookupFailed, "");
    lookup.detail = "std::bad_alloc";
    const struct {
        core::Status status;
        QString text;
    } rows[] = {
        {core::Status::Fail(core::Failure::SpeechEngine, ""),
         QStringLiteral("语音引擎 eSpeak NG 无法启动：找不到它的英语语音数据。"
                        "没有录音的单词将不会读出。")},
        {core::Status::Fail(core::Failure::SpeechEngine, "/opt/voices"),
         QStringLiteral("语音引擎 eSpeak NG 无法启动：/opt/voices 中没有它的英语语音数据。"
                        "没有录音的单词将不会读出。")},
        {lookup, QStringLiteral("查找没有完成：std::bad_alloc")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorText(row.status), row.text) << row.status.file;
    }
}

TEST(ErrorText, SoundErrorsCarryTheirFailureAndItsText) {
    const sound::SoundError error(core::Failure::SoundMissing, QStringLiteral("/app/br/g/x.wav"));
    EXPECT_EQ(error.Failure().what, core::Failure::SoundMissing);
    EXPECT_EQ(QString::fromUtf8(error.what()), ErrorText(error.Failure()));
    EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("找不到声音文件：/app/br/g/x.wav"));
}

} // namespace
