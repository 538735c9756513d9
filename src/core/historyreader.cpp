#include "historyreader.h"

#include "historyline.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

/// Reads line after line, keeping what a chunk ends in for the next one.
class LineSink {
public:
    explicit LineSink(HistoryRead& read) : read_(read) {}

    void Feed(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t end = bytes.find('\n');
            if (end == std::string_view::npos) {
                // A part that runs past the limit is damage whatever follows; keep only its
                // start, so that a file without line ends cannot fill memory.
                if (carry_.size() <= HistoryLineLimit) {
                    carry_.append(bytes.substr(0, HistoryLineLimit + 1 - carry_.size()));
                }
                return;
            }
            if (carry_.empty()) {
                Line(bytes.substr(0, end));
            } else {
                if (carry_.size() <= HistoryLineLimit) {
                    carry_.append(bytes.substr(0, std::min(end, HistoryLineLimit + 1)));
                }
                Line(carry_);
                carry_.clear();
            }
            bytes.remove_prefix(end + 1);
        }
    }

    void Finish() {
        read_.tornLast = !carry_.empty();
        carry_.clear();
        // Events written while the clock stood further on come first otherwise; the charts
        // want them in order, and a stable sort keeps equal times as they were written.
        if (unsorted_) {
            std::stable_sort(
                read_.events.begin(), read_.events.end(),
                [](const HistoryEvent& a, const HistoryEvent& b) { return a.time < b.time; });
        }
    }

private:
    void Line(std::string_view line) {
        // No writer leaves an empty line; it is damage like any other.
        if (line.empty()) {
            ++read_.damaged;
            return;
        }
        HistoryEvent& event = read_.events.emplace_back();
        const HistoryLineVerdict verdict = ParseHistoryLine(line, event);
        if (verdict != HistoryLineVerdict::Good) {
            read_.events.pop_back();
        }
        switch (verdict) {
        case HistoryLineVerdict::Good: {
            // A period is written when it ends, dated by its start: its end is when it was
            // written.
            const TimePoint written = event.kind == HistoryKind::Period ? event.end : event.time;
            if (read_.events.size() > 1 && written < latest_) {
                ++read_.outOfOrder;
            }
            latest_ = std::max(latest_, written);
            if (event.time < earliestOk_) {
                unsorted_ = true;
            }
            earliestOk_ = std::max(earliestOk_, event.time);
        } break;
        case HistoryLineVerdict::Newer:
            ++read_.newer;
            break;
        case HistoryLineVerdict::Damaged:
            ++read_.damaged;
            break;
        }
    }

    HistoryRead& read_;
    std::string carry_;
    TimePoint latest_{};
    TimePoint earliestOk_ = TimePoint::min();
    bool unsorted_ = false;
};

} // namespace

HistoryRead ParseHistory(std::string_view bytes) {
    HistoryRead read;
    LineSink sink(read);
    sink.Feed(bytes);
    sink.Finish();
    return read;
}

HistoryRead ReadHistoryTail(const std::string& path, TimePoint since) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        HistoryRead read;
        if (errno != ENOENT) {
            read.status = Status::File(Failure::Open, path, errno);
        }
        return read;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadHistory(path);
    }
    const off_t size = st.st_size;
    for (off_t tail = 1 << 20;; tail *= 2) {
        const off_t from = size > tail ? size - tail : 0;
        std::string bytes(static_cast<std::size_t>(size - from), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n =
                ::pread(fd, bytes.data() + got, bytes.size() - got, from + static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        std::string_view view = bytes;
        if (from > 0) {
            // The first line may have begun before the part read.
            const std::size_t end = view.find('\n');
            view.remove_prefix(end == std::string_view::npos ? view.size() : end + 1);
        }
        HistoryRead read = ParseHistory(view);
        if (from == 0 || (!read.events.empty() && read.events.front().time < since)) {
            ::close(fd);
            return read;
        }
    }
}

HistoryRead ReadHistory(const std::string& path, const CancelToken* token) {
    HistoryRead read;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            read.status = Status::File(Failure::Open, path, errno);
        }
        return read;
    }
    LineSink sink(read);
    std::string buffer(1 << 20, '\0');
    for (;;) {
        if (token != nullptr && token->Cancelled()) {
            read.cancelled = true;
            break;
        }
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            read.status = Status::File(Failure::Read, path, errno);
            break;
        }
        if (got == 0) {
            break;
        }
        sink.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    ::close(fd);
    sink.Finish();
    return read;
}

} // namespace core
