#pragma once
#include "core/pcmwave.h"
#include "core/soundscore.h"
#include "core/status.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sound {

/// Where the speaker-independent acoustic model and its pronouncing dictionary are installed.
struct PhoneModelFiles {
    std::string acousticModel = "/usr/share/pocketsphinx/model/en-us/en-us";
    std::string dictionary = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
    /// The programs that adapt the model to a speaker: SphinxTrain's bw and map_adapt are in
    /// trainerFolder; modelConverter writes the model's definition as the trainer reads it.
    std::string trainerFolder = "/usr/lib/sphinxtrain";
    std::string modelConverter = "/usr/bin/pocketsphinx_mdef_convert";
};

/// A recording of a word said right and the sounds said in it, from which the model learns a
/// speaker's voice.
struct VoiceSample {
    std::vector<std::string> phones;
    core::PcmSound recording;
};

/// A recording scored sound by sound, or why it could not be.
struct PhoneScoring {
    /// PronunciationModel (file: what is missing or damaged), SoundNoSpeech, or ok.
    core::Status status;
    core::SoundScores scores;
    /// The decodings the scores were made from (for measuring other calibrations).
    std::vector<core::PhoneSegment> aligned;
    std::vector<core::PhoneSegment> loop;
    std::vector<core::PhoneSegment> rivals;
};

/// Scores recordings sound by sound against an acoustic model trained on many speakers. The
/// model is opened at the first Score (about 0.2 s), so one scorer belongs to one worker thread
/// and is never used from two threads at once; it may be made on any thread.
class PhoneScorer {
public:
    explicit PhoneScorer(PhoneModelFiles files = {});
    ~PhoneScorer();
    PhoneScorer(const PhoneScorer&) = delete;
    PhoneScorer& operator=(const PhoneScorer&) = delete;

    /// The model phones of word from the pronouncing dictionary (its first pronunciation, any
    /// case); empty when the dictionary lacks the word or cannot be read.
    std::vector<std::string> DictionaryPhones(const std::string& word);

    /// Every pronunciation of word that the dictionary lists and a learner may say: the first,
    /// then the others that say at least as many sounds ("forest" with ɪ for ə, "direct" with
    /// aɪ). One that leaves a sound out ("thousand" without its d) is the very mistake the
    /// learner is told about, and is not offered. Empty when the dictionary lacks the word.
    std::vector<std::vector<std::string>> DictionaryPronunciations(const std::string& word);

    /// Scores the recording (any rate and channels; at most its first MaxScoredSeconds) against
    /// the expected phones.
    PhoneScoring Score(const std::vector<std::string>& phones, const core::PcmSound& recording);

    /// Scores the recording against the pronunciation it fits best: each is aligned (the
    /// recording decoded once) and scored without the rivals, and of equal scores the earlier
    /// is taken; the rivals are sought for that one only.
    PhoneScoring ScoreBest(const std::vector<std::vector<std::string>>& pronunciations,
                           const core::PcmSound& recording);

    /// Opens the model if it is not open yet: ok, or PronunciationModel naming what failed.
    core::Status Open();

    /// Learns the voice of the speaker of samples: SphinxTrain counts how the model's Gaussians
    /// fit the samples aligned with their sounds, and moves each Gaussian's mean towards the
    /// speaker's by as much as the samples show of it (maximum a posteriori). The means are
    /// written to adaptationFile (replaced whole, never left half written; about 0.8 MB).
    /// Takes two to three seconds for 100 samples. Ok, or PronunciationModel naming the program
    /// or file that failed, SoundNoSpeech when no sample holds speech. stop is asked while the
    /// trainer runs; when it turns true the trainer is ended, nothing is written and the status is
    /// ok (the caller that stopped it knows).
    core::Status Adapt(const std::vector<VoiceSample>& samples, const std::string& adaptationFile,
                       const std::function<bool()>& stop = {});

    /// Scores from now on with the means of adaptationFile (as Adapt writes it); empty, with
    /// the model as installed. A missing or damaged file, or one of another model, leaves the
    /// model as installed.
    /// The model is opened again at the next score (about 0.2 s).
    void UseAdaptation(const std::string& adaptationFile);

    /// The constants of the score (the benchmark measures others).
    core::SoundCalibration calibration;

private:
    struct Decoder;
    PhoneModelFiles files_;
    std::unique_ptr<Decoder> decoder_;
    core::Status openFailure_;
    bool tried_ = false;
    std::string adaptation_;
    std::string dictionaryText_;
    bool dictionaryRead_ = false;
};

/// Longer recordings are scored on their first MaxScoredSeconds only, which bounds the time
/// and memory of any file.
inline constexpr double MaxScoredSeconds = 12.0;

/// The most recordings a speaker's adaptation is learned from (the latest; about a hundred
/// words' worth of speech, beyond which one transform for all sounds gains nothing).
inline constexpr std::size_t MostVoiceSamples = 100;

} // namespace sound
