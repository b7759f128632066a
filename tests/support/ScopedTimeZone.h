// Runs a test in a time zone of its choosing (a POSIX TZ rule, which needs no zone files)
// and puts the process's zone back afterwards.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace quillon::test {

// A shop in the US Central zone: UTC-6, UTC-5 from the second Sunday of March to the
// first Sunday of November.
inline constexpr const char* kShopZone = "CST6CDT,M3.2.0,M11.1.0";

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone = kShopZone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_old;
};

}  // namespace quillon::test
