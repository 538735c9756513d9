#include "processend.h"

#include <cstdio>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define LJT_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LJT_LEAK_CHECK 1
#endif
#endif

#ifdef LJT_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace core {

void EndProcess(int code) {
    std::fflush(nullptr);
#ifdef LJT_LEAK_CHECK
    // Ends the process with the leak checker's exit code when something leaked.
    __lsan_do_leak_check();
#endif
    ::_exit(code);
}

} // namespace core
