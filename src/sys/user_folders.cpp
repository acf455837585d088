#include "sys/user_folders.h"

#include <cmath>

#include "sys/platform.h"

bool MakerFolder(WPath& path) {
    WString profile;
    if (!SysProfileFolder(profile)) return false;
    path.Assign(profile);
    path.Join(WTXT(".Brimvale"));
    return true;
}

bool ProductDataFolder(WPath& path) {
    if (!MakerFolder(path)) return false;
    path.Join(kProductName);
    const double whole = std::floor(kProductDataVersion);
    const int firstDecimal = int((kProductDataVersion - whole) * 10.0) % 10;
    WString version;
    version.Format(WTXT("ver%i.%i\\"), int(whole), firstDecimal);
    path.Join(version);
    return true;
}
