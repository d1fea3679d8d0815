#pragma once

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

namespace veyra::test {

// Tests wait for events, never for time; the limits they set on a wait only end a test
// that would otherwise hang, and are written for an ordinary machine. Every limit is
// multiplied by one factor: 1 normally, more in a ThreadSanitizer build (where every
// program runs many times slower), or what VEYRA_TEST_TIME_SCALE says (a slow or busy
// machine). The test main reads it once, before any test runs.
class TimeLimits
{
public:
    // The factor for this build: VEYRA_TEST_TIME_SCALE when it holds a number of 1 or
    // more, else the build's own.
    static double factorFromEnvironment()
    {
        bool ok = false;
        const double requested = qEnvironmentVariable("VEYRA_TEST_TIME_SCALE").toDouble(&ok);
        if (ok && std::isfinite(requested) && requested >= 1.0) {
            return requested;
        }
#if defined(__SANITIZE_THREAD__)
        return 10.0;
#else
        return 1.0;
#endif
    }

    static void setFactor(double factor)
    {
        s_factor = std::max(factor, 1.0);
    }
    static double factor()
    {
        return s_factor;
    }

    // A limit of `milliseconds` on an ordinary machine, for this one.
    static int scaled(int milliseconds)
    {
        if (milliseconds < 0) {
            return milliseconds;
        }
        const double value = std::ceil(milliseconds * s_factor);
        return value >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(value);
    }

private:
    static inline double s_factor = 1.0;
};

// The limit of `milliseconds` on an ordinary machine, scaled for this one.
inline int scaledMs(int milliseconds)
{
    return TimeLimits::scaled(milliseconds);
}

} // namespace veyra::test
