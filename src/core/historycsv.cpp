#include "historycsv.h"

#include <cstdio>
#include <ctime>

namespace core {

namespace {

std::string Field(const std::string& text) {
    // A word a learner typed must not run as a formula in the spreadsheet that opens the table.
    // (Built by appending: GCC 12 at -O3 takes an insert at the front for an overlapping copy.)
    std::string field;
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos) {
        field = "'";
    }
    field.append(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string TimeText(TimePoint t) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    const long long msPart = ((ms % 1000) + 1000) % 1000;
    const std::time_t seconds = static_cast<std::time_t>((ms - msPart) / 1000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, msPart);
    return text;
}

} // namespace

std::string WriteHistoryCsv(const std::vector<HistoryEvent>& events) {
    std::string out = "\xEF\xBB\xBF"
                      "time,kind,mode,word,result,from,to,score,worst_sound,end,new,mastered,"
                      "review\r\n";
    for (const HistoryEvent& e : events) {
        std::string row[13];
        row[0] = TimeText(e.time);
        row[1] = HistoryName(e.kind);
        switch (e.kind) {
        case HistoryKind::Answer:
            row[2] = HistoryName(e.mode);
            row[3] = e.word;
            row[4] = HistoryName(e.result);
            break;
        case HistoryKind::Move:
            row[3] = e.word;
            row[5] = HistoryName(e.from);
            row[6] = HistoryName(e.to);
            break;
        case HistoryKind::Score:
            row[3] = e.word;
            row[7] = std::to_string(e.score);
            row[8] = e.worstSound;
            break;
        case HistoryKind::Period:
            row[9] = TimeText(e.end);
            break;
        case HistoryKind::Lists:
            break;
        }
        if (e.kind == HistoryKind::Move || e.kind == HistoryKind::Lists) {
            for (std::size_t i = 0; i < 3; ++i) {
                row[10 + i] = std::to_string(e.lists[i]);
            }
        }
        for (std::size_t i = 0; i < 13; ++i) {
            if (i > 0) {
                out += ',';
            }
            out += Field(row[i]);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace core
