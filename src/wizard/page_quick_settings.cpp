// The quick-settings page: per host "Install into "/"Reinstall in " and
// "Remove from ", "Install into all"/"Remove from all" when there are
// several, the supported hosts when none was found, and "Back".
#include "install/install_batch.h"
#include "lang/language_table.h"
#include "lang/user_texts.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_button.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

namespace {

// "Installer supports: " and the payload's hosts, "" without any.
WString SupportedHosts() {
    const WString names = SupportedHostNames();
    if (names.IsEmpty()) return names;
    WString text(Translate(texts::kInstallerSupports));
    text.Append(names);
    return text;
}

UiButton* HostButton(UiBox& parent, const WChar* prefix, const InstallBatch& batch, int32_t function,
                     int32_t position, Installer& installer) {
    WString title(Translate(prefix));
    title.Append(batch.displayName);
    auto* message = new Installer_Param_Fnc;
    message->value = function;
    message->batch = position;
    return page::Button(parent, title.CStr(), kSizeTwoRows, message, installer);
}

}  // namespace

void InstallPanel2_QuickSettings::Build(Installer& installer, UiBox& content) {
    int32_t hosts = 0, installedHosts = 0;
    installer.CountHosts(hosts, installedHosts);
    if (hosts == 0) {
        page::Filler(content);
        const WString supported = SupportedHosts();
        page::Text(content, texts::kNoPlatformFound, kSizeTwoRows, kAlignCenterX, kAlignCenterY, true);
        page::Text(content, supported.CStr(), kSizeTwoRows, kAlignCenterX, kAlignCenterY, true);
    } else {
        page::Text(content, WTXT("Quick install settings:"), kSizeRow, kAlignLeft, kAlignCenterY, true);
    }
    if (hosts > 1)
        forward_ = page::FunctionButton(content, WTXT("Install into all"), kSizeTwoRows, Installer::kInstallIntoAll, installer);
    if (installedHosts > 1)
        page::FunctionButton(content, WTXT("Remove from all"), kSizeTwoRows, Installer::kRemoveFromAll, installer);
    if (hosts > 1) page::Spacer(content, kSizeHalfRow);

    // Six batches or more scroll.
    const BatchList& batches = installer.batches;
    UiBox* rows = &content;
    if (batches.count >= 6) {
        rows = new UiBox;
        rows->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        FltParamCell rule;
        ApplySizeKind(kSizeFlexible, rule);
        AddScrollView(rule, content, rows);
    }
    for (int32_t kind = kPlatformLightWave; kind <= kPlatformCinema4D; ++kind) {
        if (kind != kPlatformLightWave) page::Spacer(*rows, kSizeAsGiven, 4);
        for (int32_t i = 0; i < batches.count; ++i) {
            const InstallBatch& batch = *batches[i];
            if (batch.PlatformKind() != kind || batch.transfers.count == 0) continue;
            const bool installed = batch.AnythingInstalled();
            UiButton* first = HostButton(*rows, installed ? WTXT("Reinstall in ") : WTXT("Install into "), batch,
                                         Installer::kInstallIntoOne, i, installer);
            if (!forward_) forward_ = first;
            if (installed) HostButton(*rows, WTXT("Remove from "), batch, Installer::kRemoveFromOne, i, installer);
        }
    }
    if (rows == &content) page::Filler(content);
    UiBox* row = page::ButtonRow(content);
    cancel_ = page::FunctionButton(*row, WTXT("Back"), kSizeFlexible, Installer::kShowWelcome, installer);
    if (!forward_) forward_ = cancel_;
}
