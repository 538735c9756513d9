#include "soundindex.h"

#include "textfile.h"
#include "wordentry.h"

namespace core {

Status SoundIndexFile::Open(const std::string& path) {
    values_.clear();
    if (!FileExists(path)) {
        // No index simply means that every word is spoken.
        return Status::Ok();
    }
    std::string bytes;
    Status s = ReadFileBytes(path, bytes);
    if (!s) {
        return s;
    }
    Parse(Gb18030ToUtf8(bytes));
    return Status::Ok();
}

void SoundIndexFile::Parse(std::string_view text) {
    values_.clear();
    bool inSection = false;
    for (const auto& raw : SplitLines(text)) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line.front() == '[') {
            auto close = line.find(']');
            std::string name =
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = FoldCase(name) == "mywav";
            continue;
        }
        if (!inSection) {
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        std::string key = FoldCase(Trim(line.substr(0, eq)));
        if (key.empty()) {
            continue;
        }
        // As with the usual INI reader, the first line of a key wins.
        values_.emplace(std::move(key), Trim(line.substr(eq + 1)));
    }
}

std::string SoundIndexFile::Value(std::string_view word) const {
    auto it = values_.find(FoldCase(Trim(word)));
    return it == values_.end() ? std::string() : it->second;
}

} // namespace core
