#include "canceltoken.h"

namespace core {

bool CancelToken::Cancelled() const {
    if (!state_) {
        return false;
    }
    return state_->own.load() ||
           (state_->queueCancels && state_->queueCancels->load() != state_->postedAt);
}

void CancelToken::Cancel() const {
    if (state_) {
        state_->own.store(true);
    }
}

} // namespace core
