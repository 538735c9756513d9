// Scoring with PocketSphinx. Every phone of the model is a "word" of its own, so that two
// grammars do the work: the expected phones in a row (forced alignment) and any phone repeated
// (a free phone loop). Both are decoded from the same recording; the lattice of each gives the
// frames and acoustic score of every phone, which core::ScoreSounds compares. The decoder's
// acoustic scores are relative to the best state of each frame, so a phone's score is already
// measured against what fits the frame best; the loop adds what fits best as a phone.
//
// PocketSphinx is reached only from this file.
#include "phonescorer.h"

#include "voiceadaptation.h"

#include "core/phoneset.h"
#include "core/textfile.h"
#include "core/voiceanalysis.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sound {

namespace {

constexpr int DecodeRate = 16000;
// A recording whose loudest 10 ms stays below this (of full scale) holds no speech.
constexpr double SilencePeak = 0.01;
constexpr std::size_t PaddingSamples = DecodeRate / 4;
// The noise floor every recording is given (see Score), below its loudest sample, and at least
// (in 16-bit steps) so that no frame is digital silence.
constexpr double FloorBelowPeakDb = 50;
constexpr double MinimumFloor = 2;
// The language weight scales each grammar's choice probabilities and insertion penalties. At
// the decoder's default (6.5, made for sentences) each phone of the free loop costs as much as
// several frames of a better fit, so the loop keeps long phones that fit worse than another
// path would: a low ceiling, against which a phone said wrong looks right. Light, it lets the
// acoustic fit decide (of 6.5, 1, 0.3 and 0.1 on the benchmark's tuning voices, 0.3 and 0.1
// measured alike and best).
constexpr const char* LoopLanguageWeight = "0.3";
// The beam of the alignments' searches (of the best path's probability; the decoder's own are
// 1e-48 and, at word exits, 7e-29).
constexpr double AlignmentBeam = 1e-80;

std::string WordOf(std::string_view phone) {
    std::string word = "ph_";
    for (const char c : phone) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return word;
}

/// The phone a decoded "word" stands for; empty for the decoder's own start and end words.
std::string PhoneOfWord(const char* word) {
    if (word == nullptr || std::string_view(word).substr(0, 3) != "ph_") {
        return {};
    }
    std::string phone(word + 3);
    for (char& c : phone) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return core::IsModelPhone(phone) ? phone : std::string();
}

/// The expected phones with, in each place, the sounds a learner often says there instead and,
/// inside a word, the British way of saying it; a final consonant and an r that British English
/// does not say may be left out, and a final consonant followed by a vowel. The alignment with
/// this row tells which was said.
std::string RivalRow(const std::vector<std::string>& phones) {
    std::string row;
    for (std::size_t i = 0; i < phones.size(); ++i) {
        std::string choice = WordOf(phones[i]);
        for (const std::string_view rival : core::RivalPhones(phones[i], i + 1 == phones.size())) {
            choice += " | " + WordOf(rival);
        }
        if (phones.size() > 1) {
            for (const std::string_view variant : core::VariantPhones(phones[i])) {
                choice += " | " + WordOf(variant);
            }
        }
        const bool finalConsonant =
            i + 1 == phones.size() && i > 0 && !core::IsVowelPhone(phones[i]);
        if (finalConsonant) {
            row += " [(" + choice + ")] [ph_ah]";
        } else if (core::SilentBritishR(phones, i)) {
            row += " [(" + choice + ")]";
        } else {
            row += " (" + choice + ")";
        }
    }
    return row;
}

/// A recording as the decoder takes it: its samples, and whether it may hold speech at all.
struct Prepared {
    std::vector<int16> samples;
    bool speech = false;
};

/// The recording (at most its first MaxScoredSeconds) at the decoder's rate, one channel, with
/// a room's noise floor and padding (see below).
Prepared Prepare(const core::PcmSound& recording) {
    core::PcmSound head = recording;
    const std::size_t limit = static_cast<std::size_t>(std::max(0, head.rate)) *
                              static_cast<std::size_t>(MaxScoredSeconds);
    if (head.channels > 0 && head.Frames() > limit) {
        head.samples.resize(limit * static_cast<std::size_t>(head.channels));
    }
    const std::vector<float> mono = core::MonoAtRate(head, DecodeRate);
    // Every recording gets the noise floor of a quiet room, 50 dB below its loudest sample: the
    // model learned speech recorded through microphones, and the digital silence of a clean file
    // (the speech engine's, or one edited to silence between sounds) gave frames it never saw,
    // in which closures and pauses scored as nothing it knew. A microphone's own floor is
    // mostly above this already. A word that starts or ends right at the edge of the file
    // leaves the decoder no silence to enter and leave by (and its feature normalisation
    // nothing to settle on): a quarter of a second of the same floor goes before and after.
    float peak = 0;
    for (const float sample : mono) {
        peak = std::isfinite(sample) ? std::max(peak, std::min(1.0f, std::abs(sample))) : peak;
    }
    const double floorLevel =
        std::max(MinimumFloor, peak * 32767.0 * std::pow(10.0, -FloorBelowPeakDb / 20.0));
    Prepared prepared;
    std::vector<int16>& samples = prepared.samples;
    samples.reserve(mono.size() + 2 * PaddingSamples);
    std::uint32_t noise = 12345;
    const auto withFloor = [&noise, floorLevel](double sample) {
        // The sum of four uniform draws (standard deviation floorLevel), near enough to room
        // noise; the same on every run, so that a recording always scores the same.
        double sum = 0;
        for (int i = 0; i < 4; ++i) {
            noise = noise * 1664525u + 1013904223u;
            sum += static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
        }
        const double v = sample + sum * std::sqrt(3.0) * floorLevel;
        return static_cast<int16>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    };
    samples.insert(samples.end(), PaddingSamples, 0);
    for (const float sample : mono) {
        const float v = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
        samples.push_back(static_cast<int16>(std::lround(v * 32767.0f)));
    }
    samples.insert(samples.end(), PaddingSamples, 0);
    for (int16& sample : samples) {
        sample = withFloor(sample);
    }
    // A recording shorter than a few frames holds no sound the decoder could place.
    prepared.speech =
        peak >= SilencePeak && mono.size() >= static_cast<std::size_t>(DecodeRate / 20);
    return prepared;
}

bool Readable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.good() && file.peek() != std::ifstream::traits_type::eof();
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

struct PhoneScorer::Decoder {
    cmd_ln_t* config = nullptr;
    ps_decoder_t* ps = nullptr;

    /// The frames the front end makes while it learns (StartStream), thrown away.
    static constexpr std::size_t LearnFrames = 64;
    mfcc_t** learnBuffer = nullptr;

    ~Decoder() {
        if (learnBuffer != nullptr) {
            ckd_free_2d(learnBuffer);
        }
        if (ps != nullptr) {
            ps_free(ps);
        }
        if (config != nullptr) {
            cmd_ln_free_r(config);
        }
    }

    /// A recording's cepstra, made once for all the searches (see Score).
    struct Cepstra {
        mfcc_t** frames = nullptr;
        int count = 0;

        Cepstra() = default;
        Cepstra(const Cepstra&) = delete;
        Cepstra& operator=(const Cepstra&) = delete;
        ~Cepstra() {
            if (frames != nullptr) {
                ckd_free_2d(frames);
            }
        }
    };

    /// What a search decodes: the samples, from which each search makes its own cepstra, or
    /// cepstra made once.
    struct Input {
        const std::vector<int16>* samples = nullptr;
        const Cepstra* cepstra = nullptr;
    };

    /// Makes the cepstra of samples into into, every frame kept (a front end of its own, made
    /// like the decoder's but without its silence removal); false when the front end fails.
    bool MakeCepstra(const std::vector<int16>& samples, Cepstra& into) {
        const long removing = cmd_ln_int_r(config, "-remove_silence");
        cmd_ln_set_int_r(config, "-remove_silence", FALSE);
        fe_t* opened = fe_init_auto_r(config);
        cmd_ln_set_int_r(config, "-remove_silence", removing);
        std::unique_ptr<fe_t, int (*)(fe_t*)> fe(opened, fe_free);
        if (fe == nullptr || fe_start_utt(fe.get()) < 0) {
            return false;
        }
        const int16* at = samples.data();
        std::size_t left = samples.size();
        int32 most = 0;
        // Without a buffer the front end only says how many frames the samples can give.
        if (fe_process_frames(fe.get(), &at, &left, nullptr, &most, nullptr) < 0) {
            return false;
        }
        into.frames = static_cast<mfcc_t**>(
            ckd_calloc_2d(static_cast<std::size_t>(most) + 1,
                          static_cast<std::size_t>(fe_get_output_size(fe.get())), sizeof(mfcc_t)));
        int32 made = most;
        int32 last = 0;
        if (fe_process_frames(fe.get(), &at, &left, into.frames, &made, nullptr) < 0 ||
            fe_end_utt(fe.get(), into.frames[made], &last) < 0) {
            return false;
        }
        into.count = made + last;
        return true;
    }

    /// Starts a stream of its own for a search of samples, its front end having first learned
    /// the noise and the level of speech from the same samples. The silence removal goes by
    /// these; carried over from the search before (of this recording or of the last one) they
    /// made the searches of one recording keep different frames, and a recording's scores
    /// depended on what was scored before it. Learned afresh from nothing, they are not settled
    /// while the word is said, which kept more noise and measured worse.
    void StartStream(const std::vector<int16>& samples) {
        ps_start_stream(ps);
        fe_t* fe = ps_get_fe(ps);
        if (fe == nullptr || fe_start_utt(fe) < 0) {
            return;
        }
        if (learnBuffer == nullptr) {
            learnBuffer = static_cast<mfcc_t**>(ckd_calloc_2d(
                LearnFrames + 1, static_cast<std::size_t>(fe_get_output_size(fe)), sizeof(mfcc_t)));
        }
        const int16* at = samples.data();
        std::size_t left = samples.size();
        while (left > 0) {
            const std::size_t before = left;
            int32 made = LearnFrames;
            if (fe_process_frames(fe, &at, &left, learnBuffer, &made, nullptr) < 0 ||
                left == before) {
                break;
            }
        }
        int32 last = 0;
        (void)fe_end_utt(fe, learnBuffer[0], &last);
    }

    /// Decodes the input with the named grammar: the best path's phones, silence included, with
    /// their scores when scored (the lattice that gives them takes a second for the loop's
    /// grammar, but a few milliseconds for a row of phones).
    std::vector<core::PhoneSegment> Decode(const char* search, const Input& input, bool scored) {
        std::vector<core::PhoneSegment> segments;
        if (ps_set_search(ps, search) < 0) {
            return segments;
        }
        if (input.samples != nullptr) {
            StartStream(*input.samples);
        }
        if (ps_start_utt(ps) < 0) {
            return segments;
        }
        if (input.cepstra != nullptr) {
            ps_process_cep(ps, input.cepstra->frames, input.cepstra->count, FALSE, TRUE);
        } else {
            ps_process_raw(ps, input.samples->data(), input.samples->size(), FALSE, TRUE);
        }
        ps_end_utt(ps);
        // The best path's segments carry no scores in a grammar search: each takes its score
        // from the lattice link of the same word and frames (of several links, which differ by
        // the next phone's context, the best).
        ps_lattice_t* dag = scored ? ps_get_lattice(ps) : nullptr;
        logmath_t* lmath = ps_get_logmath(ps);
        for (ps_seg_t* seg = ps_seg_iter(ps); seg != nullptr; seg = ps_seg_next(seg)) {
            const char* word = ps_seg_word(seg);
            const std::string phone = PhoneOfWord(word);
            int first = 0;
            int last = 0;
            ps_seg_frames(seg, &first, &last);
            if (phone.empty() || last < first) {
                continue;
            }
            bool found = false;
            int32 best = 0;
            for (ps_latnode_iter_t* nodes = dag != nullptr ? ps_latnode_iter(dag) : nullptr;
                 nodes != nullptr; nodes = ps_latnode_iter_next(nodes)) {
                ps_latnode_t* node = ps_latnode_iter_node(nodes);
                const char* nodeWord = ps_latnode_word(dag, node);
                if (nodeWord == nullptr || std::strcmp(nodeWord, word) != 0) {
                    continue;
                }
                for (ps_latlink_iter_t* links = ps_latnode_exits(node); links != nullptr;
                     links = ps_latlink_iter_next(links)) {
                    ps_latlink_t* link = ps_latlink_iter_link(links);
                    int16 linkFirst = 0;
                    const int linkLast = ps_latlink_times(link, &linkFirst);
                    int32 ascr = 0;
                    ps_latlink_prob(dag, link, &ascr);
                    if (linkFirst == first && linkLast == last && (!found || ascr > best)) {
                        best = ascr;
                        found = true;
                    }
                }
            }
            // The last segment (often the trailing silence) has no link after it; the loop's
            // alignment gives it the same.
            segments.push_back({phone, first, last, found ? logmath_log_to_ln(lmath, best) : 0.0});
        }
        return segments;
    }

    /// Aligns the input with a row of phone words (" ph_th ph_ih ..."), silence allowed around,
    /// as the search named name; unscored, the row may hold the grammar's choices and options.
    std::vector<core::PhoneSegment> Align(const char* name, const std::string& row,
                                          const Input& input, bool scored = true) {
        const std::string grammar =
            "#JSGF V1.0;\ngrammar align;\npublic <align> = [ph_sil]" + row + " [ph_sil];\n";
        if (ps_set_jsgf_string(ps, name, grammar.c_str()) < 0) {
            return {};
        }
        return Decode(name, input, scored);
    }

    /// The loop and the alignment of what it heard, the alignment of each pronunciation's phones
    /// and, for the one the recording fits best, of the rivals said, scored, into result; false
    /// when the loop hears no speech.
    bool DecodeAll(const Input& input, const std::vector<std::vector<std::string>>& pronunciations,
                   const core::SoundCalibration& calibration, PhoneScoring& result) {
        const std::vector<core::PhoneSegment> heard = Decode("loop", input, false);
        const bool speech =
            std::any_of(heard.begin(), heard.end(),
                        [](const core::PhoneSegment& s) { return s.phone != core::SilencePhone; });
        if (!speech) {
            return false;
        }
        // What the loop heard is aligned like the expected phones, so that both sides are scored by
        // the same search with the same contexts.
        std::string heardRow;
        for (const core::PhoneSegment& s : heard) {
            heardRow += ' ' + WordOf(s.phone);
        }
        result.loop = Align("heard", heardRow, input);
        // Of several pronunciations, the one whose phones the recording fits best is taken (the
        // alignment is a fraction of the time of the rivals' with their many choices, which is
        // made for the one taken only).
        const std::vector<std::string>* taken = nullptr;
        double best = 0;
        std::string expected;
        for (const std::vector<std::string>& phones : pronunciations) {
            std::string row;
            for (const std::string& phone : phones) {
                row += ' ' + WordOf(phone);
            }
            std::vector<core::PhoneSegment> aligned = Align("expected", row, input);
            const double score =
                pronunciations.size() > 1
                    ? core::ScoreSounds(phones, aligned, result.loop, {}, calibration).score
                    : 0.0;
            if (taken == nullptr || score > best) {
                taken = &phones;
                best = score;
                expected = std::move(row);
                result.aligned = std::move(aligned);
            }
        }
        if (taken == nullptr) {
            return false;
        }
        // Which rival was said is decided with the choices; its fit is measured like the
        // others', by aligning the row decided on (the scores of a grammar with choices are
        // not comparable). Mostly the expected phones win, whose alignment there is already.
        const std::vector<core::PhoneSegment> chosen =
            Align("rivals", RivalRow(*taken), input, false);
        std::string saidRow;
        for (const core::PhoneSegment& s : chosen) {
            if (s.phone != core::SilencePhone) {
                saidRow += ' ' + WordOf(s.phone);
            }
        }
        result.rivals = saidRow == expected ? result.aligned : Align("said", saidRow, input);
        result.scores =
            core::ScoreSounds(*taken, result.aligned, result.loop, result.rivals, calibration);
        return true;
    }
};

PhoneScorer::PhoneScorer(PhoneModelFiles files) : files_(std::move(files)) {
}

PhoneScorer::~PhoneScorer() = default;

core::Status PhoneScorer::Open() {
    if (tried_) {
        return openFailure_;
    }
    tried_ = true;
    const auto fail = [this](const std::string& what) {
        openFailure_ = core::Status::Sound(core::Failure::PronunciationModel, what);
        decoder_.reset();
        return openFailure_;
    };
    // The decoder reports a missing file only on its log; each file is looked at first so that
    // the learner is told which one.
    if (!IsFolder(files_.acousticModel)) {
        return fail(files_.acousticModel);
    }
    for (const char* part : {"mdef", "means", "variances", "transition_matrices", "feat.params"}) {
        const std::string path = files_.acousticModel + "/" + part;
        if (!Readable(path)) {
            return fail(path);
        }
    }
    if (!Readable(files_.dictionary)) {
        return fail(files_.dictionary);
    }
    auto decoder = std::make_unique<Decoder>();
    // The decoder's own dictionary holds the phones only: the pronouncing dictionary is read
    // here, word by word, which keeps its 130 000 entries out of memory. The model's own front
    // end stays: its feat.params normalise the cepstra over the whole utterance, and the
    // decoder's noise and silence removal keep the pauses out; without them the scores measured
    // worse and a recording took three times as long.
    decoder->config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", files_.acousticModel.c_str(),
                                  "-dict", "/dev/null", "-logfn", "/dev/null", "-fsgusefiller",
                                  "no", "-samprate", "16000", "-lw", LoopLanguageWeight, nullptr);
    if (decoder->config == nullptr) {
        return fail(files_.acousticModel);
    }
    // The learner's adaptation, where there is one: the model's means moved towards the
    // learner's voice. A file the decoder refuses after all leaves the model as installed
    // rather than no model.
    if (!adaptation_.empty() && AdaptedMeansValid(adaptation_, files_.acousticModel + "/means")) {
        cmd_ln_set_str_r(decoder->config, "-mean", adaptation_.c_str());
        decoder->ps = ps_init(decoder->config);
        if (decoder->ps == nullptr) {
            cmd_ln_set_str_r(decoder->config, "-mean", nullptr);
        }
    }
    if (decoder->ps == nullptr) {
        decoder->ps = ps_init(decoder->config);
    }
    if (decoder->ps == nullptr) {
        return fail(files_.acousticModel);
    }
    const std::vector<std::string_view>& phones = core::ModelPhones();
    std::string loop = "#JSGF V1.0;\ngrammar loop;\npublic <loop> = <phone>+;\n<phone> = ";
    for (std::size_t i = 0; i < phones.size(); ++i) {
        const std::string word = WordOf(phones[i]);
        const std::string pronunciation(phones[i]);
        if (ps_add_word(decoder->ps, word.c_str(), pronunciation.c_str(), i + 1 == phones.size()) <
            0) {
            return fail(files_.acousticModel + "/mdef");
        }
        loop += (i > 0 ? " | " : "") + word;
    }
    loop += ";\n";
    if (ps_set_jsgf_string(decoder->ps, "loop", loop.c_str()) < 0) {
        return fail(files_.acousticModel);
    }
    // The alignments, made after this, search with wider beams than the loop: a row of phones
    // has few paths, and at the decoder's own word-exit beam a long word by a voice far from
    // the model's lost every path before its end, which left no alignment to score at all.
    for (const char* beam : {"-beam", "-pbeam", "-wbeam"}) {
        cmd_ln_set_float_r(decoder->config, beam, AlignmentBeam);
    }
    decoder_ = std::move(decoder);
    openFailure_ = core::Status::Ok();
    return openFailure_;
}

std::vector<std::string> PhoneScorer::DictionaryPhones(const std::string& word) {
    std::vector<std::vector<std::string>> all = DictionaryPronunciations(word);
    return all.empty() ? std::vector<std::string>{} : std::move(all.front());
}

std::vector<std::vector<std::string>>
PhoneScorer::DictionaryPronunciations(const std::string& word) {
    if (!dictionaryRead_) {
        dictionaryRead_ = true;
        // A line feed first, so that every entry, the first too, is found after one. An
        // unreadable dictionary leaves only that: every word is then looked up in the speech
        // engine.
        std::string text;
        if (!core::ReadFileBytes(files_.dictionary, text)) {
            text.clear();
        }
        dictionaryText_.assign(1, '\n').append(text);
    }
    std::string key;
    for (const char c : word) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '(') {
            return {};
        }
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::vector<std::vector<std::string>> all;
    if (key.empty()) {
        return all;
    }
    // The others follow the first as "word(2)", "word(3)" and so on.
    for (int n = 1;; ++n) {
        const std::string entry = '\n' + key + (n > 1 ? '(' + std::to_string(n) + ')' : "") + ' ';
        const std::size_t at = dictionaryText_.find(entry);
        if (at == std::string::npos) {
            break;
        }
        const std::size_t from = at + entry.size();
        const std::size_t end = dictionaryText_.find('\n', from);
        std::vector<std::string> phones = core::SplitPhones(
            std::string_view(dictionaryText_)
                .substr(from, end == std::string::npos ? std::string::npos : end - from));
        if (n == 1 || (!all.empty() && phones.size() >= all.front().size())) {
            all.push_back(std::move(phones));
        }
    }
    if (!all.empty() && all.front().empty()) {
        all.clear();
    }
    return all;
}

PhoneScoring PhoneScorer::Score(const std::vector<std::string>& phones,
                                const core::PcmSound& recording) {
    return ScoreBest({phones}, recording);
}

PhoneScoring PhoneScorer::ScoreBest(const std::vector<std::vector<std::string>>& pronunciations,
                                    const core::PcmSound& recording) {
    PhoneScoring result;
    const std::vector<std::string> phones =
        pronunciations.empty() ? std::vector<std::string>{} : pronunciations.front();
    result.scores = core::ScoreSounds(phones, {}, {}, {}, calibration);
    if (const core::Status opened = Open(); !opened) {
        result.status = opened;
        return result;
    }
    const Prepared prepared = Prepare(recording);
    const std::vector<int16>& samples = prepared.samples;
    if (!prepared.speech || phones.empty()) {
        result.status = core::Status::Sound(core::Failure::SoundNoSpeech, {});
        return result;
    }
    for (const std::vector<std::string>& pronunciation : pronunciations) {
        for (const std::string& phone : pronunciation) {
            if (!core::IsModelPhone(phone) || phone == core::SilencePhone) {
                return result;
            }
        }
        if (pronunciation.empty()) {
            return result;
        }
    }
    // The silence removal can take a short sound said alone (a lesson's m or n) for silence
    // and drop all of it, or keep frames enough for the loop's phones but not for their
    // alignment, and nothing could be scored. The cepstra are then made once, every frame kept,
    // for all the searches. (Made so always, the scores measured worse and the time exceeded
    // its goal: the silence removal keeps a word's final stop better and is faster.)
    if (!decoder_->DecodeAll({&samples, nullptr}, pronunciations, calibration, result) ||
        result.loop.empty()) {
        Decoder::Cepstra cepstra;
        if (!decoder_->MakeCepstra(samples, cepstra) ||
            !decoder_->DecodeAll({nullptr, &cepstra}, pronunciations, calibration, result)) {
            result.status = core::Status::Sound(core::Failure::SoundNoSpeech, {});
            return result;
        }
    }
    return result;
}

void PhoneScorer::UseAdaptation(const std::string& adaptationFile) {
    if (adaptationFile == adaptation_) {
        return;
    }
    adaptation_ = adaptationFile;
    decoder_.reset();
    tried_ = false;
}

core::Status PhoneScorer::Adapt(const std::vector<VoiceSample>& samples,
                                const std::string& adaptationFile,
                                const std::function<bool()>& stop) {
    if (const core::Status opened = Open(); !opened) {
        return opened;
    }
    const auto fail = [](const std::string& what) {
        return core::Status::Sound(core::Failure::PronunciationModel, what);
    };
    const std::string bw = files_.trainerFolder + "/bw";
    const std::string adapt = files_.trainerFolder + "/map_adapt";
    for (const std::string& program : {bw, adapt, files_.modelConverter}) {
        if (access(program.c_str(), X_OK) != 0) {
            return fail(program);
        }
    }
    ScratchFolder scratch;
    if (scratch.Path().empty()) {
        return fail("/tmp");
    }
    const std::string folder = scratch.Path() + "/";
    // Each sample's cepstra, made as the scorer makes them; its sounds as a word of its own in
    // a dictionary of the samples, so that each is aligned with what was said in it.
    std::ofstream list(folder + "samples.list");
    std::ofstream transcript(folder + "samples.transcription");
    std::ofstream dictionary(folder + "samples.dict");
    int written = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (stop && stop()) {
            return core::Status::Ok();
        }
        const VoiceSample& sample = samples[i];
        const bool known =
            !sample.phones.empty() &&
            std::all_of(sample.phones.begin(), sample.phones.end(), [](const std::string& phone) {
                return core::IsModelPhone(phone) && phone != core::SilencePhone;
            });
        const Prepared prepared = Prepare(sample.recording);
        Decoder::Cepstra cepstra;
        if (!known || !prepared.speech || !decoder_->MakeCepstra(prepared.samples, cepstra) ||
            cepstra.count <= 0) {
            continue;
        }
        static_assert(sizeof(mfcc_t) == sizeof(float), "the decoder's cepstra are floats");
        // Appended: `"s" + std::to_string(i)` draws a false -Wrestrict from GCC 12 at -O3.
        const std::string name = std::string("s").append(std::to_string(i));
        if (!WriteFeatureFile(
                folder + name + ".mfc", &cepstra.frames[0][0],
                static_cast<std::size_t>(cepstra.count),
                static_cast<std::size_t>(fe_get_output_size(ps_get_fe(decoder_->ps))))) {
            return fail(folder);
        }
        list << name << '\n';
        transcript << "<s> " << name << " </s> (" << name << ")\n";
        dictionary << name;
        for (const std::string& phone : sample.phones) {
            dictionary << ' ' << phone;
        }
        dictionary << '\n';
        ++written;
    }
    list.close();
    transcript.close();
    dictionary.close();
    if (!list || !transcript || !dictionary) {
        return fail(folder);
    }
    if (written == 0) {
        return core::Status::Sound(core::Failure::SoundNoSpeech, {});
    }
    // The trainer reads the model's definition as text and its mixture weights unpacked; the
    // rest of the model as installed.
    const std::string& model = files_.acousticModel;
    if (!RunTool(files_.modelConverter, {"-text", model + "/mdef", folder + "mdef.txt"}, 60)) {
        return fail(model + "/mdef");
    }
    const std::string trainerModel = folder + "model";
    std::error_code error;
    std::filesystem::create_directory(trainerModel, error);
    for (const char* part : {"means", "variances", "transition_matrices", "noisedict"}) {
        std::filesystem::create_symlink(model + "/" + part, trainerModel + "/" + part, error);
        if (error) {
            return fail(trainerModel);
        }
    }
    if (!WriteMixtureWeights(model + "/sendump", trainerModel + "/mixture_weights")) {
        return fail(model + "/sendump");
    }
    // The trainer counts, with the model's own features (feat.params: phonetically tied
    // mixtures over three streams of thirteen), how each of the model's Gaussians fits the
    // samples; each mean then moves towards what the learner's voice gives it, by as much as
    // the samples hold of it (Bayesian interpolation with the model's mean: a sound the learner
    // has not said keeps its own).
    const int seconds = 60 + 2 * written;
    if (!RunTool(bw, {"-hmmdir",   trainerModel,
                      "-moddeffn", folder + "mdef.txt",
                      "-ts2cbfn",  ".ptm.",
                      "-feat",     "1s_c_d_dd",
                      "-svspec",   "0-12/13-25/26-38",
                      "-cmn",      "current",
                      "-agc",      "none",
                      "-dictfn",   folder + "samples.dict",
                      "-fdictfn",  model + "/noisedict",
                      "-ctlfn",    folder + "samples.list",
                      "-lsnfn",    folder + "samples.transcription",
                      "-cepdir",   scratch.Path(),
                      "-accumdir", scratch.Path()},
                 seconds, stop)) {
        return stop && stop() ? core::Status::Ok() : fail(bw);
    }
    const std::string solved = folder + "means";
    if (!RunTool(adapt,
                 {"-moddeffn", folder + "mdef.txt", "-ts2cbfn", ".ptm.", "-meanfn",
                  model + "/means", "-varfn", model + "/variances", "-mixwfn",
                  trainerModel + "/mixture_weights", "-tmatfn", model + "/transition_matrices",
                  "-accumdir", scratch.Path(), "-mapmeanfn", solved},
                 seconds, stop) ||
        !AdaptedMeansValid(solved, model + "/means")) {
        return stop && stop() ? core::Status::Ok() : fail(adapt);
    }
    // Copied beside the file and renamed over it: a learner's file is whole or as it was.
    const std::string fresh = adaptationFile + ".new";
    std::filesystem::copy_file(solved, fresh, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (!error) {
        std::filesystem::rename(fresh, adaptationFile, error);
    }
    if (error) {
        std::filesystem::remove(fresh, error);
        return core::Status::Sound(core::Failure::SoundSave, adaptationFile);
    }
    if (adaptationFile == adaptation_) {
        // In use: the model opens again with it at the next score.
        decoder_.reset();
        tried_ = false;
    }
    return core::Status::Ok();
}

} // namespace sound
