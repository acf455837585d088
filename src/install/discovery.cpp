// Host discovery over the registry. Sections: helpers; the three searches;
// LightWave candidates; presets.
#include "install/discovery.h"

#include <cstdlib>

#include "core/log.h"
#include "core/text_convert.h"
#include "core/wide_text.h"
#include "install/executable_bitness.h"
#include "sys/file_system.h"
#include "sys/platform.h"

// ---- helpers -------------------------------------------------------------------

namespace {

constexpr const WChar* kUninstall = WTXT("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
constexpr uint32_t kNameUnits = 4096;
constexpr uint32_t kValueBytes = 8192;

// A string value, or false when it is missing (or not a string).
bool QueryString(SysRegKey* key, const WChar* name, WString& out) {
    thread_local DynamicArray<WChar> buffer;  // one value buffer for every query
    buffer.Resize(int32_t(kValueBytes / sizeof(WChar)) + 1);
    uint32_t size = kValueBytes;
    if (SysRegQueryString(key, name, buffer.data, size) != SysRegStatus::kOk) return false;
    const int32_t units = int32_t(size / sizeof(WChar));
    buffer[units] = 0;
    out.Assign(buffer.data);
    return true;
}

// The three values a Cinema 4D or 3ds Max record must have.
struct HostRecord {
    WString displayName, versionText, location;
    bool Read(SysRegKey* record) {
        return QueryString(record, WTXT("DisplayName"), displayName) &&
               QueryString(record, WTXT("DisplayVersion"), versionText) &&
               QueryString(record, WTXT("InstallLocation"), location);
    }
};

// Walks the subkeys of the Uninstall key, handing each open subkey to visit;
// ends at the stop flag; seen counts the records. False when the key
// cannot be opened.
template <class Visit>
bool ForEachRecord(SysRegView view, const StopFlag& stop, RecordCount* seen, const WChar* stoppedMessage,
                   Visit visit, const WChar* openFailure = nullptr) {
    SysRegKey* uninstall = nullptr;
    if (SysRegOpenKey(nullptr, kUninstall, view, uninstall) != SysRegStatus::kOk) return false;
    DynamicArray<WChar> name;
    name.Resize(int32_t(kNameUnits));
    for (uint32_t index = 0;; ++index) {
        const SysRegStatus s = SysRegEnumKey(uninstall, index, name.data, kNameUnits);
        if (s == SysRegStatus::kNotFound) break;
        if (stop.load()) {
            LogLine(WTXT("%s"), stoppedMessage);
            break;
        }
        if (seen) seen->fetch_add(1, std::memory_order_relaxed);
        if (s != SysRegStatus::kOk) continue;
        SysRegKey* record = nullptr;
        if (SysRegOpenKey(uninstall, name.data, view, record) != SysRegStatus::kOk) {
            if (openFailure) LogLine(openFailure, name.data);
            continue;
        }
        visit(uninstall, name.data, record);
        SysRegCloseKey(record);
    }
    SysRegCloseKey(uninstall);
    return true;
}

bool ContainsCaseSensitive(const WString& text, const WChar* needle) { return text.Find(needle) >= 0; }

WPath Joined(const WString& folder, const WChar* part) {
    WPath p(folder);
    p.Join(part);
    return p;
}

WPath Concatenated(const WString& folder, const WChar* part) {
    WPath p(folder);
    p.Append(part);
    return p;
}

}  // namespace

bool ParseVersion(const WChar* text, float& version) {
    NString narrow;
    WideToUtf8(text, narrow);
    double v = 0;
    // "nan", "1e30" or "-5" are no version: they would pass every "or later"
    // and name configuration files by numbers out of range.
    if (!ScanLeadingNumber(narrow.CStr(), v) || !(v >= 0 && v < kMaxHostVersion)) return false;
    version = float(v);
    return true;
}

// ---- the three searches ------------------------------------------------------

void SearchCinema4D(BatchList& batches, const StopFlag& stop, RecordCount* seen) {
    if (!PayloadPresent(WTXT("Cinema4D\\Plugin\\win64"))) {
        LogLine(WTXT("Note: Cinema installer folder not found!"));
        return;
    }
    const bool opened = ForEachRecord(
        SysRegView::k64, stop, seen, WTXT("C4D install: search thread stopped."),
        [&](SysRegKey*, const WChar* name, SysRegKey* record) {
            if (name[0] == WChar('{')) return;
            HostRecord host;
            if (!host.Read(record)) return;
            if (!WContainsNoCase(host.displayName.CStr(), WTXT("cinema 4d"))) return;
            float version = 0;
            if (!ParseVersion(host.versionText.CStr(), version)) {
                LogLine(WTXT("C4D install: cannot identify version from cinema version string '%s'."), host.versionText);
                return;
            }
            if (version < 17) {
                LogLine(WTXT("C4D install: skipping old version '%s'."), host.versionText);
                return;
            }
            auto* batch = new C4dInstallBatch;
            batch->displayName = host.displayName;
            batch->hostVersion = version;
            batch->pathValue = Joined(host.location, WTXT("plugins\\Veldo5"));
            batch->AddTransfer(kTransferFolder, WTXT("Cinema4D\\Plugin\\win64\\R17"), WTXT("%PATH%"), nullptr, true);
            batch->AddTransfer(kTransferFolder, WTXT("Cinema4D\\Resources"), WTXT("%PATH%"), nullptr, false);
            batches.Add(batch);
        },
        WTXT("C4D install: cannot open key '%s'."));
    if (!opened) LogLine(WTXT("C4D install: cannot access 64-bit registry!"));
}

void SearchMax(BatchList& batches, const StopFlag& stop, RecordCount* seen) {
    if (!PayloadPresent(WTXT("3DSMax\\Plugin"))) {
        LogLine(WTXT("Note: Max installer folder not found!"));
        return;
    }
    const bool opened = ForEachRecord(
        SysRegView::k64, stop, seen, WTXT("Warning: (Max install) search thread stopped."),
        [&](SysRegKey*, const WChar* name, SysRegKey* record) {
            if (name[0] == WChar('{')) return;
            HostRecord host;
            if (!host.Read(record) || !ContainsCaseSensitive(host.displayName, WTXT("Autodesk 3ds Max"))) return;
            float version = 0;
            if (!ParseVersion(host.versionText.CStr(), version)) return;
            if (version < 15) {
                LogLine(WTXT("Note: (Max install) skipping old version '%s'."), host.versionText);
                return;
            }
            const WChar* year = nullptr;
            switch (int(version)) {
                case 15: case 16: year = WTXT("2013"); break;
                case 17: case 18: year = WTXT("2015"); break;
                case 19: year = WTXT("2017"); break;
                case 20: year = WTXT("2018"); break;
                default: return;
            }
            auto* batch = new MaxInstallBatch;
            batch->displayName = host.displayName;
            batch->hostVersion = version;
            batch->pathValue = Joined(host.location, WTXT("plugins"));
            WPath plugin(WTXT("3DSMax\\Plugin"));
            plugin.Join(year);
            batch->AddTransfer(kTransferFolder, plugin.CStr(), batch->pathValue.CStr(), nullptr, false);
            batch->AddTransfer(kTransferFolder, WTXT("3DSMax\\UI_ln\\Icons"),
                               Joined(host.location, WTXT("UI_ln\\Icons")).CStr(), nullptr, false);
            batch->AddTransfer(kTransferFolder, WTXT("3DSMax\\UI_ln\\IconsDark"),
                               Joined(host.location, WTXT("UI_ln\\IconsDark")).CStr(), nullptr, false);
            batch->AddTransfer(kTransferFolder, WTXT("3DSMax\\scripts\\Startup"),
                               Joined(host.location, WTXT("scripts\\Startup")).CStr(), nullptr, false);
            WPath lang = Joined(host.location, WTXT("plugins\\VELDO5"));
            lang.Join(WTXT("Lang"));
            batch->AddTransfer(kTransferFolder, WTXT("3DSMax\\Lang"), lang.CStr(), nullptr, false);
            batches.Add(batch);
        },
        WTXT("Warning: (Max install) cannot open key '%s'."));
    if (!opened) LogLine(WTXT("Error: (Max install) cannot access 64-bit registry!"));
}

// ---- LightWave candidates --------------------------------------------------

namespace {

void AddLightWave(BatchList& batches, const WString& displayName, const WString& versionText, const WString& folder) {
    if (!ContainsCaseSensitive(displayName, WTXT("LightWave"))) return;
    float version = 0;
    if (!ParseVersion(versionText.CStr(), version)) {
        LogLine(WTXT("Warning: (LW install) cannot detect lw version from '%s'."), versionText);
        return;
    }
    if (ExecutableBitness(Concatenated(folder, WTXT("\\bin\\Modeler.exe")).CStr()) == 32) return;
    if (version < 10) {
        LogLine(WTXT("Note: (LW install) skipping old version '%s'."), versionText);
        return;
    }
    auto* batch = new LwInstallBatch;
    batch->displayName = displayName;
    batch->hostVersion = version;
    batch->menuAction.value = kChoiceLeave;
    batch->pathValue = Concatenated(folder, WTXT("\\support\\plugins\\Brimvale\\Veldo5"));
    WString profile;
    SysProfileFolder(profile);
    batch->configPath = Concatenated(profile, WTXT("\\.NewTek\\LightWave\\"));
    batch->configPath.Append(versionText);
    // Hosts from 2015 on keep their files under the full version text.
    const bool newLayout = version >= 2015;
    WString n;
    n.Format(WTXT("%i"), int(version));
    const WString& v = newLayout ? versionText : n;
    batch->AddTransfer(kTransferLwFolder, WTXT("LightWave\\Plugin\\win64"), WTXT("%PATH%"), nullptr, true);
    batch->AddTransfer(kTransferLwFolder, WTXT("LightWave\\Menu branches"), WTXT("%PATH%"), nullptr, false);
    if (newLayout)
        batch->AddTransfer(kTransferLwFolder, WTXT("LightWave\\Languages"),
                           Concatenated(folder, WTXT("\\support\\l10n")).CStr(), nullptr, false);
    WString extensionSource, extension, menu;
    extensionSource.Format(WTXT("LightWave\\Extensions\\LWEXT%s.CFG"), newLayout ? WTXT("_new") : WTXT("_old"));
    extension.Format(WTXT("%%CONFIG_PATH%%\\LWEXT%s-64.CFG"), v);
    menu.Format(WTXT("%%CONFIG_PATH%%\\LWM%s-64.CFG"), v);
    batch->AddTransfer(kTransferLwExtension, extensionSource.CStr(), extension.CStr(), batch->pathValue.CStr(), false);
    batch->AddTransfer(kTransferLwMenu, WTXT("LightWave\\Menu branches"), menu.CStr(),
                       Concatenated(folder, WTXT("\\bin\\Modeler.exe")).CStr(), false);
    batches.Add(batch);
}

// The first run of a display name that starts at a digit 1 to 9 and goes on
// over digits and ".".
WString VersionFromName(const WString& name) {
    for (int32_t i = 0; i < name.Length(); ++i) {
        if (name[i] < WChar('1') || name[i] > WChar('9')) continue;
        int32_t end = i;
        const auto versionChar = [](WChar c) { return (c >= WChar('0') && c <= WChar('9')) || c == WChar('.'); };
        while (end < name.Length() && versionChar(name[end])) ++end;
        return WString(name.CStr() + i, end - i);
    }
    return WString();
}

void LightWaveRecord(BatchList& batches, SysRegKey* uninstall, const WChar* name, SysRegKey* record) {
    WString displayName, versionText;
    if (!QueryString(record, WTXT("DisplayName"), displayName)) return;
    if (QueryString(record, WTXT("DisplayVersion"), versionText)) {
        WString location, uninstallString;
        if (QueryString(record, WTXT("InstallLocation"), location)) {
            AddLightWave(batches, displayName, versionText, location);
        } else if (QueryString(record, WTXT("UninstallString"), uninstallString)) {
            // "...\Uninstall.exe" or "...\uninstall.exe": the folder before it.
            const int32_t at = uninstallString.Find(WTXT("ninstall.exe"));
            if (at >= 2 && uninstallString[at - 2] == WChar('\\'))
                AddLightWave(batches, displayName, versionText, WString(uninstallString.CStr(), at - 2));
        }
        return;
    }
    if (!ContainsCaseSensitive(displayName, WTXT("LightWave"))) return;
    // No version: it is in the name, and the folder in the GUID key's icon.
    versionText = VersionFromName(displayName);
    const WString key(name);
    const int32_t open = key.Find(WTXT("{"));
    const int32_t close = open < 0 ? -1 : key.Find(WTXT("}"), open);
    if (open < 0 || close < 0) return;
    WString guid(key.CStr() + open, close - open);
    guid.Append(WTXT("}"));
    SysRegKey* guidKey = nullptr;
    if (SysRegOpenKey(uninstall, guid.CStr(), SysRegView::k32, guidKey) != SysRegStatus::kOk) return;
    WString icon;
    const bool hasIcon = QueryString(guidKey, WTXT("DisplayIcon"), icon);
    SysRegCloseKey(guidKey);
    const int32_t bin = hasIcon ? icon.Find(WTXT("\\bin\\Layout.exe")) : -1;
    if (bin < 0) return;
    AddLightWave(batches, displayName, versionText, WString(icon.CStr(), bin));
}

}  // namespace

void SearchLightWave(BatchList& batches, const StopFlag& stop, RecordCount* seen) {
    if (!PayloadPresent(WTXT("LightWave\\Plugin\\win64"))) {
        LogLine(WTXT("Note: LightWave installer folder not found!"));
        return;
    }
    // Both views, each record as it comes; the subkeys are read 32-bit.
    for (SysRegView view : {SysRegView::k64, SysRegView::k32}) {
        const bool opened = ForEachRecord(view, stop, seen, WTXT("Warning: (LW install) search thread stopped."),
                                          [&](SysRegKey* uninstall, const WChar* name, SysRegKey* record) {
                                              LightWaveRecord(batches, uninstall, name, record);
                                          });
        if (!opened) {
            LogLine(WTXT("Error: (LW install) cannot access 64-bit registry!"));
            return;
        }
    }
}

// ---- presets -----------------------------------------------------------------

void AddPresets(BatchList& batches) {
    auto* batch = new PresetsInstallBatch;
    batch->displayName.Assign(WTXT("Presets"));
    WString profile;
    SysProfileFolder(profile);
    batch->pathValue.Assign(profile);
    batch->pathValue.Append(WTXT("\\.Brimvale\\Presets"));
    batch->AddTransfer(kTransferFolder, WTXT("Presets"), WTXT("%PATH%"), nullptr, false);
    batches.Add(batch);
}

void SearchHosts(BatchList& batches, const StopFlag& stop, RecordCount* seen) {
    batches.Clear();
    SearchLightWave(batches, stop, seen);
    SearchMax(batches, stop, seen);
    SearchCinema4D(batches, stop, seen);
    AddPresets(batches);
}
