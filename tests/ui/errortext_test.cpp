// The learner's texts for failures: Chinese throughout, the file named, the system's reason
// worded by the program rather than in the system's English.
#include "host/errortext.h"
#include "sound/sounderror.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <stdexcept>
#include <string>

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

TEST(ErrorText, EveryFailureIsWordedInChineseAndNamesItsFile) {
    using core::Failure;
    // The failures whose sentence has no file in it: names, devices, the plain messages.
    const std::set<Failure> namesNoFile = {
        Failure::SoundNoFileName, Failure::SoundNoOutput, Failure::SoundOutputOpen,
        Failure::SoundDeviceInit, Failure::SoundSave,     Failure::BankExists,
        Failure::LookupFailed,
    };
    const std::string file = "/app/Li/Li1.bm";
    for (const Failure failure : core::AllFailures) {
        if (failure == Failure::None) {
            continue;
        }
        SCOPED_TRACE(std::string(core::FailureName(failure)));
        // Every field filled, so that each sentence finds what it needs.
        core::Status status;
        status.ok = false;
        status.what = failure;
        status.file = file;
        status.sysError = EEXIST;
        status.role = core::NameRole::Learner;
        status.detail = "3/2";
        status.line = 7;
        QString text = ErrorText(status);
        ASSERT_FALSE(text.isEmpty());
        const bool namesFile = text.contains(QString::fromStdString(file));
        text.remove(QString::fromStdString(file));
        if (failure == Failure::NotFound) {
            // The word-bank window's report keeps the words learners know from it.
            EXPECT_EQ(text, QStringLiteral("File not found: “”"));
            continue;
        }
        // The names of text and file formats are written as learners see them elsewhere.
        for (const char* format : {"UTF-16", "UTF-8", "GBK", "KVTML", "XML"}) {
            text.remove(QLatin1String(format));
        }
        EXPECT_FALSE(HasLatinLetter(text)) << text.toStdString();
        const bool fileless =
            namesNoFile.count(failure) != 0 || core::DomainOf(failure) == core::Domain::Name;
        EXPECT_EQ(namesFile, !fileless) << text.toStdString();
    }
}

TEST(ErrorText, SoundErrorsCarryTheirFailureWordedByTheHost) {
    const QString file = QStringLiteral("/app/br/g/x.wav");
    const sound::SoundError error(core::Failure::SoundMissing, file);
    EXPECT_EQ(error.Failure().what, core::Failure::SoundMissing);
    EXPECT_EQ(ErrorText(error), QStringLiteral("找不到声音文件：/app/br/g/x.wav"));
    // what() is for logs: it still names the file.
    EXPECT_NE(QString::fromUtf8(error.what()).indexOf(file), -1) << error.what();
    // Any other exception keeps its own message.
    EXPECT_EQ(ErrorText(std::runtime_error("disk on fire")), QStringLiteral("disk on fire"));
}

} // namespace
