#include "uiworker.h"

#include <QMetaObject>

namespace sound {

UiWorker::UiWorker()
    : receiver_(std::make_unique<QObject>()),
      queue_([receiver = receiver_.get()](std::function<void()> call) {
          QMetaObject::invokeMethod(receiver, std::move(call), Qt::QueuedConnection);
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
