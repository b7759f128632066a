// What the harnesses share: the check of their promises, and a folder and the files they
// write.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace quillon::fuzz {

// A broken promise names itself and its line on stderr and aborts, so that libFuzzer keeps
// the input and the log says what went wrong.
inline void checkPromise(bool kept, const char* promise, const char* file, int line)
{
    if (kept)
        return;
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, promise);
    std::abort();
}

// A new folder of the harness's own, ending in "/". In memory where the system has one:
// the program's atomic replaces flush every file to disk, which would leave a harness
// waiting for the disk most of its time.
inline std::string makeFolder(std::string_view harness)
{
    const bool inMemory = ::access("/dev/shm", W_OK) == 0;
    std::string pattern = std::string(inMemory ? "/dev/shm" : "/tmp") + "/quillon-" +
                          std::string(harness) + "-XXXXXX";
    checkPromise(::mkdtemp(pattern.data()) != nullptr, "a folder of its own", __FILE__, __LINE__);
    return pattern + "/";
}

// The file anew with the bytes, as another program would have left it.
inline void putFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace quillon::fuzz

// A macro only for the text and the line of the promise.
#define FUZZ_CHECK(promise) \
    ::quillon::fuzz::checkPromise(static_cast<bool>(promise), #promise, __FILE__, __LINE__)
