#include "linestore.h"

namespace core {

void LineStore::Clear() {
    text_.clear();
    spans_.clear();
}

void LineStore::Reserve(std::size_t lines, std::size_t bytes) {
    spans_.reserve(lines);
    text_.reserve(bytes);
}

void LineStore::Append(std::string_view line) {
    spans_.push_back({text_.size(), line.size()});
    text_.append(line);
}

std::string_view LineStore::Line(std::size_t pos) const {
    const Span& span = spans_[pos];
    return std::string_view(text_).substr(span.offset, span.length);
}

void LineStore::SwapRemove(std::size_t pos) {
    spans_[pos] = spans_.back();
    spans_.pop_back();
}

} // namespace core
