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
        } catch (const std::exception& e) {
            result.failure = core::Status::Sound(core::Failure::SoundUnplayable,
                                                 result.path.toStdString(), 0, e.what());
        }
        if (!result.failure.ok) {
            // The learner hears of it in the mode's plain words; the cause stays in failure.
            if (message) {
                message(
                    core::Status::Sound(core::Failure::SoundDeviceInit, result.path.toStdString()));
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
