#pragma once
// What every fuzz target needs: a check that stops the run with the failed rule, so that
// libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: rule broken: %s\n", __FILE__, __LINE__, #condition);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

/// The input as text.
inline std::string_view Text(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace fuzz
