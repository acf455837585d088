#include "sys/test_points.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/text_convert.h"
#include "sys/platform.h"

namespace {

// The longest a held point waits for its release.
constexpr double kLongestHoldMs = 60000;
constexpr uint32_t kHoldPollMs = 10;

// One variable's point and pass.
struct Target {
    NString name;  // empty: nothing happens
    long pass = 1;
    mutable std::atomic<long> seen{0};

    explicit Target(const char* variable) {
        NString value;
        if (!SysEnvironment(variable, value) || value.IsEmpty()) return;
        const int32_t colon = value.Find(":");
        if (colon < 0) {
            name = value;
            return;
        }
        name.Assign(value.CStr(), colon);
        pass = std::strtol(value.CStr() + colon + 1, nullptr, 10);
        if (pass < 1) pass = 1;
    }

    bool Reached(const char* point) const {
        return !name.IsEmpty() && std::strcmp(name.CStr(), point) == 0 && seen.fetch_add(1) + 1 == pass;
    }
};

void Hold(const char* point) {
    WString where;
    Utf8ToWide(point, where);
    LogLine(WTXT("Held at %s"), where);
    NString release;
    if (!SysEnvironment("VELDO_HOLD_RELEASE", release)) return;
    WString native;
    Utf8ToWide(release.CStr(), native);
    const double until = SysClockMs() + kLongestHoldMs;
    for (;;) {
        SysFileInfo info;
        if ((SysQueryPath(native.CStr(), info) == SysStatus::kOk && info.exists) || SysClockMs() > until) return;
        SysSleepMs(kHoldPollMs);
    }
}

}  // namespace

void TestPoint(const char* name) {
    static const Target crash("VELDO_CRASH_AT");
    static const Target hold("VELDO_HOLD_AT");
    if (crash.Reached(name)) SysKillSelf();
    if (hold.Reached(name)) Hold(name);
}
