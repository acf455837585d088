// The program's own texts that both the wizard's pages and the unattended
// mode show. The language table is keyed by the English text, so each is
// written here once: the pages translate it, the unattended mode prints it
// as it stands, and the table's row names it as its key. They are the
// program's own words and stay as they are, misspellings included.
#pragma once

#include "core/wide_text.h"

namespace texts {

inline constexpr const WChar* kInstallComplete = WTXT("Install complete!");
inline constexpr const WChar* kInstallationFailed = WTXT("Installation failed!");
// Followed by the payload's hosts, joined with ", ".
inline constexpr const WChar* kInstallerSupports = WTXT("Installer supports: ");
inline constexpr const WChar* kNoPlatformFound = WTXT("None of supported platforms were found!");
// Followed by the host whose batch still runs when the user asked to end.
inline constexpr const WChar* kFinishingInto = WTXT("Finishing the installation into: ");
inline constexpr const WChar* kLightWaveConfiguration = WTXT("LightWave configuration");
inline constexpr const WChar* kConfigCannotBeModified =
    WTXT("LightWave config files are customized or invalid and cannot be modified by installer.");
inline constexpr const WChar* kUseManualInstallation = WTXT("Please use manual installation.");
inline constexpr const WChar* kModelersStartedToFix = WTXT("Installer started LightWave modeler(s) to fix config files.");
inline constexpr const WChar* kCloseModelersAndHub =
    WTXT("Please close all modelers and LightWave HUB and continue with installation.");
inline constexpr const WChar* kCloseRunningLightWave = WTXT("Please close all running LightWave modelers, layouts and hubs.");
inline constexpr const WChar* kMenuBranchesByHand = WTXT("LightWave menu branches needs to be installed manullay.");
// Followed by the tutorial's link.
inline constexpr const WChar* kWatchMenuBranchesTutorial = WTXT("Watch how to install menu branches manually:");
// Followed by the log file's path.
inline constexpr const WChar* kLog = WTXT("Log: ");
// The label of a packed program's progress while it checks its own file,
// before a percentage.
inline constexpr const WChar* kCheckingInstaller = WTXT("Checking the installer file: ");

// A packed program whose own file does not hold together (a damaged or cut
// off download); the log says what was wrong.
inline constexpr const WChar* kDamagedDownload =
    WTXT("The installer file is damaged. Nothing was changed. Please download it again.");
// Followed by a path recovery could not put back.
inline constexpr const WChar* kCannotRestore = WTXT("Cannot restore: ");

}  // namespace texts
