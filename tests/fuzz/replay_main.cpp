// Runs a fuzz target over kept inputs without libFuzzer: every file named, and every file
// below every folder named, once. Any compiler builds it, so the inputs that once broke a
// rule are replayed by the normal and the sanitizer builds' tests.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size);

namespace {

void Run(const std::filesystem::path& file, int& count) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ++count;
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                Run(file, count);
            }
        } else {
            Run(path, count);
        }
    }
    std::printf("%d inputs replayed\n", count);
    // A folder of kept inputs that went missing would make the test pass without testing.
    return count > 0 ? 0 : 1;
}
