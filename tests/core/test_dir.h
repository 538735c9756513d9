#pragma once
// A temporary folder for one test, removed with everything in it afterwards.
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <map>
#include <random>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

class TestDir {
public:
    TestDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("ljt-core-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    /// The folder as the program writes it: ending in "/".
    std::string AppDir() const { return path_.string() + "/"; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            out.append(buf, n);
        }
        std::fclose(f);
    }
    return out;
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

/// Sets or clears the immutable attribute of a file; false when the file system or the
/// program's rights do not allow it.
inline bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

/// Every file below folder (relative path -> bytes; folders map to "<folder>"), to show that
/// nothing on disk changed.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string relative = std::filesystem::relative(entry.path(), folder).string();
        files[relative] = entry.is_directory() ? "<folder>" : ReadAll(entry.path().string());
    }
    return files;
}

/// The names in a folder that start with prefix.
inline int CountStartingWith(const std::string& folder, const std::string& prefix) {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            ++n;
        }
    }
    return n;
}
