#include "wselect.h"

#include "lookupsession.h"

#include "core/lookupindex.h"
#include "core/lookuppage.h"
#include "sound/uiworker.h"

#include <exception>

namespace {

/// The search itself, on the worker; stopped() says when to give up.
template <class Stopped>
void Search(LookupSession& session, const std::string& query, core::BankMatch match,
            const Stopped& stopped, WSelect::Result& result) {
    bool builtNow = false;
    const std::shared_ptr<const core::LookupIndex> index = session.Index(&builtNow);
    if (index && builtNow) {
        // The files are read once per showing, so each unreadable one is reported once.
        result.failures = index->Failures();
    }
    if (!index || stopped()) {
        result.cancelled = true;
    } else if (!query.empty()) {
        // Bank phase.
        result.hits = index->FindBanks(query, match);
        if (!result.hits.empty()) {
            result.PageText = core::ResultPage(result.hits, session.AppDir());
            result.firstHitPage = core::ResultPage({result.hits.front()}, session.AppDir());
        } else if (match == core::BankMatch::WholeWord) {
            result.closeWords = index->CloseWords(query);
        }
        // Sentence phase.
        if (stopped()) {
            result.cancelled = true;
        } else {
            result.sentences =
                core::SentenceText(index->Corpus(), index->FindSentences(query), "\n");
        }
    }
}

} // namespace

WSelect::WSelect(sound::UiWorker& worker, std::shared_ptr<LookupSession> session, std::string query,
                 core::BankMatch match, QObject* parent)
    : QObject(parent), worker_(worker), session_(std::move(session)), query_(std::move(query)),
      match_(match), stop_(std::make_shared<std::atomic<bool>>(false)) {
}

WSelect::~WSelect() {
    stop_->store(true);
    task_.Cancel();
}

void WSelect::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    task_ = worker_.Post(
        this,
        [session = session_, query = query_, match = match_,
         stop = stop_](const core::CancelToken& token) {
            const auto stopped = [&] {
                return stop->load() || token.Cancelled() || session->Closed();
            };
            Result result;
            result.query = query;
            try {
                Search(*session, query, match, stopped, result);
            } catch (const std::exception& e) {
                // Out of memory or a text too large to index: the search ends and says why,
                // so that the window is never left waiting.
                result = Result{};
                result.query = query;
                result.cancelled = true;
                result.error = core::Status::Lookup(core::Failure::LookupFailed, e.what());
            }
            return result;
        },
        [this](Result result) {
            result_ = std::move(result);
            done_ = true;
            emit Finished();
        });
}

void WSelect::Cancel() {
    stop_->store(true);
}

WSelect::Result WSelect::TakeResult() {
    return std::move(result_);
}
