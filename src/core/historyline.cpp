#include "historyline.h"

#include <array>
#include <charconv>
#include <chrono>

namespace core {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

bool Unescape(std::string_view field, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\r' || c == '\0') {
            return false;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == field.size()) {
            return false;
        }
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return false;
        }
    }
    return true;
}

long long Millis(TimePoint t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

TimePoint FromMillis(long long ms) {
    return TimePoint(
        std::chrono::duration_cast<TimePoint::duration>(std::chrono::milliseconds(ms)));
}

void AppendNumber(std::string& out, long long n) {
    out += '\t';
    out += std::to_string(n);
}

/// A plain decimal: digits only (a minus sign where allowed), nothing around it.
template <class T> bool Number(std::string_view field, T& value, bool negativeAllowed = false) {
    if (field.empty() || (!negativeAllowed && field.front() == '-')) {
        return false;
    }
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

template <class E, std::size_t N>
bool Named(std::string_view field, const E (&values)[N], E& value) {
    for (E candidate : values) {
        if (HistoryName(candidate) == field) {
            value = candidate;
            return true;
        }
    }
    return false;
}

constexpr HistoryMode Modes[] = {HistoryMode::Cards, HistoryMode::Spelling, HistoryMode::Choice,
                                 HistoryMode::Recording};
constexpr HistoryResult Results[] = {HistoryResult::Known, HistoryResult::Unknown,
                                     HistoryResult::Right, HistoryResult::Wrong,
                                     HistoryResult::Revealed};
constexpr HistoryList Lists[] = {HistoryList::None, HistoryList::NewWords, HistoryList::Mastered,
                                 HistoryList::Review};
constexpr HistoryKind Kinds[] = {HistoryKind::Answer, HistoryKind::Move, HistoryKind::Score,
                                 HistoryKind::Period, HistoryKind::Lists};

/// The number of fields each kind has after the first three.
std::size_t FieldCount(HistoryKind kind) {
    switch (kind) {
    case HistoryKind::Answer:
        return 3;
    case HistoryKind::Move:
        return 6;
    case HistoryKind::Score:
        return 3;
    case HistoryKind::Period:
        return 1;
    case HistoryKind::Lists:
        return 3;
    }
    return 0;
}

/// The fields of a line, without an allocation per line; fields past the capacity (of a
/// later writer) are not looked at.
struct Fields {
    static constexpr std::size_t Capacity = 12;
    std::array<std::string_view, Capacity> items;
    std::size_t count = 0;
    void push_back(std::string_view field) { items[count++] = field; }
    std::size_t size() const { return count; }
    std::string_view operator[](std::size_t i) const { return items[i]; }
};

bool ListSizes(const Fields& f, std::size_t first, std::array<long long, 3>& sizes) {
    for (std::size_t i = 0; i < 3; ++i) {
        if (!Number(f[first + i], sizes[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string FormatHistoryLine(const HistoryEvent& e) {
    std::string line = std::to_string(HistoryFormatVersion);
    AppendNumber(line, Millis(e.time));
    line += '\t';
    line += HistoryName(e.kind);
    const auto field = [&line](std::string_view text) {
        line += '\t';
        AppendEscaped(line, text);
    };
    switch (e.kind) {
    case HistoryKind::Answer:
        field(HistoryName(e.mode));
        field(e.word);
        field(HistoryName(e.result));
        break;
    case HistoryKind::Move:
        field(e.word);
        field(HistoryName(e.from));
        field(HistoryName(e.to));
        for (long long n : e.lists) {
            AppendNumber(line, n);
        }
        break;
    case HistoryKind::Score:
        field(e.word);
        AppendNumber(line, e.score);
        field(e.worstSound);
        break;
    case HistoryKind::Period:
        AppendNumber(line, Millis(e.end));
        break;
    case HistoryKind::Lists:
        for (long long n : e.lists) {
            AppendNumber(line, n);
        }
        break;
    }
    return line;
}

HistoryLineVerdict ParseHistoryLine(std::string_view line, HistoryEvent& event) {
    if (line.size() > HistoryLineLimit) {
        return HistoryLineVerdict::Damaged;
    }
    Fields f;
    for (std::size_t start = 0; f.size() < f.Capacity;) {
        const std::size_t tab = line.find('\t', start);
        f.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    int version = 0;
    if (!Number(f[0], version) || version < 1) {
        return HistoryLineVerdict::Damaged;
    }
    if (version > HistoryFormatVersion) {
        return HistoryLineVerdict::Newer;
    }
    HistoryEvent e;
    long long ms = 0;
    if (f.size() < 3 || !Number(f[1], ms, true) || !Named(f[2], Kinds, e.kind) ||
        f.size() < 3 + FieldCount(e.kind)) {
        return HistoryLineVerdict::Damaged;
    }
    e.time = FromMillis(ms);
    bool ok = true;
    switch (e.kind) {
    case HistoryKind::Answer:
        ok = Named(f[3], Modes, e.mode) && Unescape(f[4], e.word) && !e.word.empty() &&
             Named(f[5], Results, e.result);
        break;
    case HistoryKind::Move:
        ok = Unescape(f[3], e.word) && !e.word.empty() && Named(f[4], Lists, e.from) &&
             Named(f[5], Lists, e.to) && e.from != e.to && ListSizes(f, 6, e.lists);
        break;
    case HistoryKind::Score:
        ok = Unescape(f[3], e.word) && !e.word.empty() && Number(f[4], e.score) && e.score <= 100 &&
             Unescape(f[5], e.worstSound);
        break;
    case HistoryKind::Period: {
        long long end = 0;
        ok = Number(f[3], end, true) && end >= ms;
        e.end = FromMillis(end);
        break;
    }
    case HistoryKind::Lists:
        ok = ListSizes(f, 3, e.lists);
        break;
    }
    if (!ok) {
        return HistoryLineVerdict::Damaged;
    }
    event = std::move(e);
    return HistoryLineVerdict::Good;
}

} // namespace core
