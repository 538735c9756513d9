#pragma once
#include "pcmwave.h"
#include "status.h"

#include <cstddef>
#include <string>
#include <vector>

namespace core {

/// The folder in the learner folder that holds the learner's voice samples and the model's
/// adaptation to that voice.
inline constexpr std::string_view VoiceFolderName = "voice";
/// The acoustic model's means adapted to the learner's voice, in the voice folder.
inline constexpr std::string_view VoiceAdaptationName = "adapted.means";

/// The learner's voice folder: the learner folder + "voice/"; empty without a learner.
std::string LearnerVoiceFolder(const std::string& dataHome, const std::string& learner);

/// One kept recording: the sounds said in it and its wave file.
struct VoiceSampleFile {
    long number = 0;
    std::vector<std::string> phones;
    std::string path;
};

/// When the learner's voice is learned from the recordings kept.
struct VoiceAdaptationPlan {
    /// The most recordings kept; the oldest go first.
    std::size_t most = 100;
    /// The first adaptation waits for this many.
    std::size_t first = 30;
    /// Then it is learned again after this many new ones.
    std::size_t again = 20;
};

/// The learner's recordings of words the scorer found said right, kept at the decoder's rate
/// in the voice folder ("voice/" in the learner folder: numbered wave files and "samples.txt",
/// a line "adapted N" and a line "N PHONE PHONE ..." per recording), from which the acoustic
/// model learns the learner's voice. The folder is made at the first recording kept. Used from
/// one thread.
class VoiceSamples {
public:
    /// folder ends in "/".
    explicit VoiceSamples(std::string folder, VoiceAdaptationPlan plan = {});

    const std::string& Folder() const { return folder_; }
    /// folder + VoiceAdaptationName.
    std::string AdaptationPath() const;

    /// Keeps the recording (mono, 16-bit, its own rate) with the sounds said in it, and lets
    /// the oldest go beyond the plan's most. A recording without sounds or samples is not
    /// kept. The index is replaced whole, never left half written.
    Status Add(const std::vector<std::string>& phones, const PcmSound& recording);

    /// The recordings kept, oldest first (an index line whose file is gone is left out).
    std::vector<VoiceSampleFile> Samples() const;

    /// True when enough recordings are kept for a first adaptation, or enough came since the
    /// last one.
    bool AdaptationDue() const;

    /// Notes that the adaptation was learned from the recordings kept up to number.
    Status MarkAdapted(long number);

private:
    /// Reads the index (once; Add and MarkAdapted keep it).
    void Load() const;
    Status Save() const;

    std::string folder_;
    VoiceAdaptationPlan plan_;
    mutable bool loaded_ = false;
    mutable long adapted_ = 0;
    mutable std::vector<VoiceSampleFile> samples_;
};

/// The bytes of a 16-bit PCM wave file holding sound.
std::string EncodePcmWave(const PcmSound& sound);

} // namespace core
