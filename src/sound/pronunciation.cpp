#include "pronunciation.h"

#include "core/soundindex.h"
#include "core/speech.h"
#include "core/utf8.h"
#include "mediaplayer.h"
#include "sounderror.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

namespace sound {

QString DeviceInitFailedText() {
    return QStringLiteral("媒体设备初始化失败！");
}

QString SaveFailedText() {
    return QStringLiteral("保存声音文件出错!");
}

std::string FolderLetter(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    return std::string(core::Utf8Prefix(text, 1));
}

QString SoundFilePath(const std::string& appDir, const std::string& folderLetter,
                      const std::string& value) {
    return QString::fromStdString(appDir + "/br/" + folderLetter + "/" + value);
}

QString PraiseSound(const std::string& appDir) {
    return QString::fromStdString(appDir + "br/g/good0001.wav");
}

QString TempWav(const std::string& appDir) {
    return QString::fromStdString(appDir + "Temp.wav");
}

void PlayFile(MediaPlayer& player, const QString& path) {
    player.SetFileName(path);
    player.Open();
    player.Play();
}

namespace {

bool HasExistenceTest(PronounceVariant v) {
    return v == PronounceVariant::Browse || v == PronounceVariant::Recording ||
           v == PronounceVariant::ChoiceTest;
}

} // namespace

Pronunciation PronounceWord(const PronounceRequest& request, const std::string& appDir,
                            const core::SoundIndexFile& soundIndex, MediaPlayer& player,
                            core::Speech* speech, const MessageFn& message) {
    Pronunciation result;
    const std::string& spoken = request.spokenText.empty() ? request.word : request.spokenText;
    auto speak = [&] {
        if (speech != nullptr) {
            speech->SpeakText(spoken);
        }
        result.how = Pronounced::Spoken;
        return result;
    };

    result.value = request.variant == PronounceVariant::CardUnclear
                       ? request.cardSoundFile
                       : soundIndex.Value(request.word);
    if (result.value.empty()) {
        return speak();
    }
    bool letterFromValue = request.variant == PronounceVariant::CardUnclear ||
                           request.variant == PronounceVariant::Browse;
    std::string letter = FolderLetter(letterFromValue ? result.value : request.entry);
    result.path = SoundFilePath(appDir, letter, result.value);
    bool exists = !HasExistenceTest(request.variant) || QFileInfo(result.path).isFile();

    if (request.variant == PronounceVariant::Recording) {
        if (!exists) {
            result.how = Pronounced::Silent;
            return result;
        }
        try {
            player.Close();
            QCoreApplication::processEvents();
            PlayFile(player, result.path);
            result.how = Pronounced::Played;
        } catch (const SoundError& e) {
            result.failure = e.Failure();
            if (message) {
                message(DeviceInitFailedText());
            }
            result.how = Pronounced::Failed;
        } catch (const std::exception&) {
            result.failure =
                core::Status::Fail(core::Failure::SoundUnplayable, result.path.toStdString());
            if (message) {
                message(DeviceInitFailedText());
            }
            result.how = Pronounced::Failed;
        }
        return result;
    }
    if (!exists) {
        return speak();
    }
    PlayFile(player, result.path);
    result.how = Pronounced::Played;
    return result;
}

} // namespace sound
