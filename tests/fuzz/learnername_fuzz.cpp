// Learner and bank names: a name that passes the check is one visible, safe path component,
// so that the folder and files made from it stay below the program folder.
#include "core/learnerfiles.h"
#include "core/utf8.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view name = fuzz::Text(data, size);
    const core::Status learner = core::CheckLearnerName(name);
    const core::Status bank = core::CheckBankName(name);
    FUZZ_CHECK(learner.ok == (learner.what == core::Failure::None));
    for (const core::Status& s : {learner, bank}) {
        if (!s.ok) {
            continue;
        }
        FUZZ_CHECK(!name.empty() && name != "." && name != "..");
        FUZZ_CHECK(core::IsValidUtf8(name));
        FUZZ_CHECK(core::Utf8Length(name) <= 64 && name.size() <= 251);
        for (const unsigned char c : name) {
            FUZZ_CHECK(c >= 32 && c != 127 && c != '/' && c != '\\');
        }
        FUZZ_CHECK(name.find_first_not_of(" \t") != std::string_view::npos);
    }
    if (learner.ok) {
        const std::string folder = core::LearnerFolderPath("/app/", std::string(name));
        FUZZ_CHECK(folder.rfind("/app/", 0) == 0 && folder.find('/', 5) == folder.size() - 1);
        // A bank name follows the same rule, less the program's own file names.
        FUZZ_CHECK(bank.ok);
    }
    return 0;
}
