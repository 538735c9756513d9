#include "host/studyhistory.h"

#include "core/historywriter.h"
#include "core/learnerfiles.h"
#include "core/studystate.h"

#include <QTimer>

StudyHistory::StudyHistory(core::StudyState& state, const core::Clock& clock, QObject* parent)
    : QObject(parent), state_(state), clock_(clock) {
    syncTimer_ = new QTimer(this);
    syncTimer_->setObjectName(QStringLiteral("HistorySync"));
    syncTimer_->setSingleShot(true);
    // At most the last second is lost on a power loss.
    syncTimer_->setInterval(1000);
    connect(syncTimer_, &QTimer::timeout, this, [this] {
        if (!writer_) {
            return;
        }
        worker_.Post(
            this, [writer = writer_](const core::CancelToken&) { return writer->Sync(); },
            [this](const core::Status& status) {
                if (!status) {
                    Failed(status);
                }
            });
    });
}

StudyHistory::~StudyHistory() {
    Close();
}

void StudyHistory::Open() {
    Close();
    if (state_.LearnerName.empty()) {
        return;
    }
    writer_ = std::make_shared<core::HistoryWriter>(
        core::LearnerHistoryPath(state_.DataHome(), state_.LearnerName));
    failureReported_ = false;
    RecordLists();
}

void StudyHistory::Close() {
    if (!writer_) {
        return;
    }
    if (auto period = sessions_.Finish()) {
        Append(*period);
    }
    syncTimer_->stop();
    // The worker may hold the writer for a flush; the last one is made here, and the writer
    // goes with the last reference.
    if (const core::Status s = writer_->Sync(); !s) {
        Failed(s);
    }
    writer_.reset();
}

void StudyHistory::Record(core::HistoryEvent event) {
    // An event about no word says nothing, and its line would read as damage.
    const bool needsWord = event.kind == core::HistoryKind::Answer ||
                           event.kind == core::HistoryKind::Move ||
                           event.kind == core::HistoryKind::Score;
    if (!writer_ || (needsWord && event.word.empty())) {
        return;
    }
    event.time = clock_.Now();
    if (event.kind == core::HistoryKind::Answer || event.kind == core::HistoryKind::Score) {
        if (auto period = sessions_.Activity(event.time)) {
            Append(*period);
        }
    }
    Append(event);
}

void StudyHistory::RecordLists() {
    core::HistoryEvent event;
    event.kind = core::HistoryKind::Lists;
    event.lists = {static_cast<long long>(state_.NewList.size()),
                   static_cast<long long>(state_.MasteredList.size()),
                   static_cast<long long>(state_.ReviewList.size())};
    Record(std::move(event));
}

std::string StudyHistory::Path() const {
    return writer_ ? writer_->Path() : std::string();
}

void StudyHistory::Append(const core::HistoryEvent& event) {
    if (const core::Status s = writer_->Append(event); !s) {
        Failed(s);
        return;
    }
    if (!syncTimer_->isActive()) {
        syncTimer_->start();
    }
}

void StudyHistory::Failed(const core::Status& status) {
    if (failureReported_) {
        return;
    }
    failureReported_ = true;
    if (OnFailure) {
        OnFailure(status);
    }
}
