// LightWave's configuration files, edited as 8-bit text exactly as read
// (CR LF line ends): the check before installing, the menu configuration
// ("LWM<version>-64.CFG") and the extension configuration
// ("LWEXT<version>-64.CFG").
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"
#include "install/install_batch.h"
#include "install/install_report.h"

// The fix code of a menu transfer before installing (see e_InstallBatchFix);
// may start LightWave Modeler, and may patch the menu file so that Modeler
// rewrites it.
int32_t CheckMenuFix(LwInstallBatch& batch, FileTransfer& transfer);

// The editors; with a journal, the text as it was is kept there before the
// file is written.
bool EditMenuConfig(LwInstallBatch& batch, InstallReport& report, FileTransfer& transfer,
                    FileJournal* journal = nullptr);
bool EditExtensionConfig(LwInstallBatch& batch, InstallReport& report, FileTransfer& transfer,
                         FileJournal* journal = nullptr);

// The text edits themselves, for the editors above and their tests.
namespace lightwave_config {

// Takes out this plug-in's branches (marked "MENU_VELDO5_") and the older
// release's ("Veldo5"), unwrapping branches left empty.
void RemoveMenuBranches(NString& text);

enum class MarkerState { kMissing, kOnce, kMany };
// Where installed branches go: the start of the line after the marker.
MarkerState FindMenuInsertionPoint(const NString& text, int32_t& at);

// A branch file turned into menu lines: "65536" once to "1", "BranchEntry"
// to "MenuEntry", "\" _\r\n" to "\" \r\n", and the closing entry appended.
void BranchToMenuBlock(NString& branch);

// Takes out every block that names "veldo_5.p".
void RemoveExtensionBlocks(NString& text);

// The template with its placeholders filled for the plug-in folder, whose
// path is written in the host's ANSI code page; false (the text unchanged)
// when the path cannot be written in it.
bool FillExtensionTemplate(NString& text, const WChar* pluginFolder, uint32_t codePage);

// The code page in which the hosts read their configuration: the value ACP
// of HKLM\System\CurrentControlSet\Control\Nls\CodePage, 1252 without it.
uint32_t HostAnsiCodePage();

}  // namespace lightwave_config
