#include "sound/lazyscorer.h"

#include "core/programmodule.h"
#include "sound/scorerfunctions.h"

#include <atomic>

namespace sound {

namespace {

std::atomic<const ScorerFunctions*> g_linked{nullptr};

/// The module's functions (a module already open is found again); null, and failure set,
/// when it cannot be opened.
const ScorerFunctions* ModuleFunctions(core::Status& failure) {
    std::string error;
    void* entry = core::ModuleEntry(LJT_SCORER_MODULE, "ljt_scorer_functions", false, error);
    if (entry == nullptr) {
        failure = core::Status::Sound(core::Failure::PronunciationModel,
                                      core::ModuleFolder() + LJT_SCORER_MODULE, 0, error);
        return nullptr;
    }
    return reinterpret_cast<const ScorerFunctions* (*)()>(entry)();
}

} // namespace

void UseScorer(const ScorerFunctions* functions) {
    g_linked.store(functions, std::memory_order_release);
}

LazyScorer::LazyScorer(PhoneModelFiles files) : files_(std::move(files)) {
}

LazyScorer::~LazyScorer() {
    if (scorer_ != nullptr) {
        functions_->destroy(scorer_);
    }
}

bool LazyScorer::Ready() {
    if (!tried_) {
        tried_ = true;
        functions_ = g_linked.load(std::memory_order_acquire);
        if (functions_ == nullptr) {
            functions_ = ModuleFunctions(failure_);
        }
        if (functions_ != nullptr) {
            scorer_ = functions_->make(files_);
        }
    }
    return scorer_ != nullptr;
}

std::vector<std::vector<std::string>>
LazyScorer::DictionaryPronunciations(const std::string& word) {
    return Ready() ? functions_->dictionaryPronunciations(*scorer_, word)
                   : std::vector<std::vector<std::string>>{};
}

PhoneScoring LazyScorer::Score(const std::vector<std::vector<std::string>>& pronunciations,
                               const core::PcmSound& recording) {
    if (!Ready()) {
        PhoneScoring scoring;
        scoring.status = failure_;
        return scoring;
    }
    return functions_->score(*scorer_, pronunciations, recording);
}

core::Status LazyScorer::Open() {
    return Ready() ? functions_->open(*scorer_) : failure_;
}

core::Status LazyScorer::Adapt(const std::vector<VoiceSample>& samples,
                               const std::string& adaptationFile,
                               const std::function<bool()>& stop) {
    return Ready() ? functions_->adapt(*scorer_, samples, adaptationFile, stop) : failure_;
}

void LazyScorer::UseAdaptation(const std::string& adaptationFile) {
    if (Ready()) {
        functions_->useAdaptation(*scorer_, adaptationFile);
    }
}

} // namespace sound
