#pragma once
#include <string>
#include <utility>

namespace core {

/// Outcome of an operation that may fail: ok, or an error text that names the file involved.
struct Status {
    bool ok = true;
    std::string error; ///< full sentence for the learner, naming the file where one is involved
    std::string file;  ///< the file that failed, empty when none is involved

    static Status Ok() { return {}; }
    static Status Fail(std::string file, std::string error) {
        return Status{false, std::move(error), std::move(file)};
    }
    explicit operator bool() const { return ok; }
};

} // namespace core
