#include "wselect.h"

#include "lookupsession.h"

#include "core/lookupindex.h"
#include "core/lookuppage.h"

#include <QMetaObject>
#include <exception>

WSelect::WSelect(std::shared_ptr<LookupSession> session, std::string query, core::BankMatch match,
                 QObject* parent)
    : QObject(parent), session_(std::move(session)), query_(std::move(query)), match_(match) {
}

WSelect::~WSelect() {
    cancel_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WSelect::Start() {
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

void WSelect::Cancel() {
    cancel_.store(true);
}

bool WSelect::IsFinished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
}

WSelect::Result WSelect::TakeResult() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(result_);
}

void WSelect::Run() {
    Result result;
    result.query = query_;
    try {
        Search(result);
    } catch (const std::exception& e) {
        // Out of memory or a text too large to index: the search ends and says why, so
        // that the window is never left waiting.
        result = Result{};
        result.query = query_;
        result.cancelled = true;
        result.error = e.what();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result_ = std::move(result);
        done_ = true;
    }
    // Queued to the interface thread. Invoked by name, so that the call object is made and
    // freed inside the toolkit; a destructor that waits for this thread removes it unrun.
    QMetaObject::invokeMethod(this, "ReportFinished", Qt::QueuedConnection);
}

void WSelect::Search(Result& result) {
    const auto stopped = [&] { return cancel_.load() || session_->Closed(); };
    bool builtNow = false;
    const std::shared_ptr<const core::LookupIndex> index = session_->Index(&builtNow);
    if (index && builtNow) {
        // The files are read once per showing, so each unreadable one is reported once.
        result.failures = index->Failures();
    }
    if (!index || stopped()) {
        result.cancelled = true;
    } else if (!query_.empty()) {
        // Bank phase.
        result.hits = index->FindBanks(query_, match_);
        if (!result.hits.empty()) {
            result.PageText = core::ResultPage(result.hits, session_->AppDir());
            result.firstHitPage = core::ResultPage({result.hits.front()}, session_->AppDir());
        } else if (match_ == core::BankMatch::WholeWord) {
            result.closeWords = index->CloseWords(query_);
        }
        // Sentence phase.
        if (stopped()) {
            result.cancelled = true;
        } else {
            result.sentences =
                core::SentenceText(index->Corpus(), index->FindSentences(query_), "\n");
        }
    }
}

void WSelect::ReportFinished() {
    emit Finished();
}
