#include "uiworker.h"

#include <QMetaObject>

#include <deque>
#include <mutex>

namespace sound {

/// The calls the worker hands to the interface thread, run there one per queued event in the
/// order handed. The calls themselves are passed under a standard mutex and the event carries
/// none: the hand-over is then visible to the thread sanitizer, which cannot see the
/// toolkit's own locks.
class UiMailbox : public QObject {
    Q_OBJECT
public:
    /// From any thread.
    void Post(std::function<void()> call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            calls_.push_back(std::move(call));
        }
        QMetaObject::invokeMethod(this, "RunOne", Qt::QueuedConnection);
    }

private:
    Q_INVOKABLE void RunOne() {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (calls_.empty()) {
                return;
            }
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
    }

    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

UiWorker::UiWorker()
    : receiver_(std::make_unique<UiMailbox>()),
      queue_([receiver = receiver_.get()](std::function<void()> call) {
          receiver->Post(std::move(call));
      }) {
}

// The queue goes first (members in reverse order): its worker is stopped before the receiver
// goes, so nothing is posted to it while it goes, and the calls still queued to it go with
// it, unrun.
UiWorker::~UiWorker() = default;

void UiWorker::Deliver(const core::CancelToken& token, const QPointer<QObject>& context,
                       std::function<void()> piece) {
    queue_.Deliver(token, [context, piece = std::move(piece)] {
        if (context) {
            piece();
        }
    });
}

} // namespace sound

#include "uiworker.moc"
