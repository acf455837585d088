#include "sys/crash_points.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "sys/platform.h"

namespace {

struct Target {
    NString name;  // empty: no point stops the process
    long pass = 1;
    mutable std::atomic<long> seen{0};

    Target() {
        NString value;
        if (!SysEnvironment("VELDO_CRASH_AT", value) || value.IsEmpty()) return;
        const int32_t colon = value.Find(":");
        if (colon < 0) {
            name = value;
            return;
        }
        name.Assign(value.CStr(), colon);
        pass = std::strtol(value.CStr() + colon + 1, nullptr, 10);
        if (pass < 1) pass = 1;
    }
};

const Target& TheTarget() {
    static Target target;
    return target;
}

}  // namespace

void CrashPoint(const char* name) {
    const Target& target = TheTarget();
    if (target.name.IsEmpty() || std::strcmp(target.name.CStr(), name) != 0) return;
    if (target.seen.fetch_add(1) + 1 == target.pass) SysKillSelf();
}
