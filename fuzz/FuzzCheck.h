// The check of a harness's promises: a broken promise names itself and its line on stderr
// and aborts, so that libFuzzer keeps the input and the log says what went wrong.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace quillon::fuzz {

inline void checkPromise(bool kept, const char* promise, const char* file, int line)
{
    if (kept)
        return;
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, promise);
    std::abort();
}

}  // namespace quillon::fuzz

// A macro only for the text and the line of the promise.
#define FUZZ_CHECK(promise) \
    ::quillon::fuzz::checkPromise(static_cast<bool>(promise), #promise, __FILE__, __LINE__)
