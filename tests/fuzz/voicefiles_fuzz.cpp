// The files of a learner's voice, whatever they hold: the index of kept samples is read
// without a crash into increasing numbers and model-like phone names, and a sample kept after
// it is numbered past them; adapted means are refused unless the model can take them;
// the model's packed weights unpack to nothing or to exactly the file their counts promise.
#include "core/voicesamples.h"
#include "sound/voiceadaptation.h"

#include "fuzzcheck.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const sound::ScratchFolder scratch;
    const std::string folder = scratch.Path() + "/voice/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string_view bytes = fuzz::Text(data, size);
    std::ofstream(folder + "samples.txt", std::ios::binary) << bytes;
    std::ofstream(folder + "adapted.means", std::ios::binary) << bytes;
    // A file for every number the index could name among the first ones.
    for (int n = 1; n <= 12; ++n) {
        std::ofstream(folder + std::to_string(n) + ".wav") << "RIFF";
    }

    core::VoiceSamples samples(folder, {8, 3, 2});
    const std::vector<core::VoiceSampleFile> read = samples.Samples();
    long last = 0;
    for (const core::VoiceSampleFile& s : read) {
        FUZZ_CHECK(s.number > last);
        last = s.number;
        FUZZ_CHECK(!s.phones.empty());
        for (const std::string& phone : s.phones) {
            FUZZ_CHECK(!phone.empty() && phone.size() <= 4);
            FUZZ_CHECK(phone.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos);
        }
        FUZZ_CHECK(s.path == folder + std::to_string(s.number) + ".wav");
    }
    (void)samples.AdaptationDue();
    const core::PcmSound tone{{100, -100, 200}, 1, 16000};
    if (samples.Add({"AA"}, tone)) {
        const std::vector<core::VoiceSampleFile> after = core::VoiceSamples(folder).Samples();
        FUZZ_CHECK(!after.empty() && after.back().number > last);
        FUZZ_CHECK(after.size() <= 8);
    }

    // As adapted means: only a file the size of the installed means can be taken.
    if (sound::AdaptedMeansValid(folder + "adapted.means",
                                 "/usr/share/pocketsphinx/model/en-us/en-us/means")) {
        FUZZ_CHECK(size ==
                   std::filesystem::file_size("/usr/share/pocketsphinx/model/en-us/en-us/means"));
    }

    std::ofstream(folder + "sendump", std::ios::binary) << bytes;
    const std::string weights = folder + "mixture_weights";
    if (sound::WriteMixtureWeights(folder + "sendump", weights)) {
        std::ifstream out(weights, std::ios::binary);
        const std::string written((std::istreambuf_iterator<char>(out)), {});
        const std::size_t header = written.find("endhdr\n");
        FUZZ_CHECK(header != std::string::npos);
        std::uint32_t numbers[5] = {};
        FUZZ_CHECK(written.size() >= header + 7 + sizeof numbers);
        std::memcpy(numbers, written.data() + header + 7, sizeof numbers);
        FUZZ_CHECK(numbers[4] == numbers[1] * numbers[2] * numbers[3]);
        FUZZ_CHECK(written.size() == header + 7 + sizeof numbers + numbers[4] * sizeof(float));
    } else {
        FUZZ_CHECK(!std::filesystem::exists(weights));
    }
    return 0;
}
