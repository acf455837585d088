// The fix page: what is wrong with LightWave's configuration, and "Back"
// (search again) or "Continue" (check again and install).
#include "install/install_batch.h"
#include "lang/user_texts.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel3_Fix::Build(Installer& installer, UiBox& content) {
    page::Filler(content);
    page::Text(content, texts::kLightWaveConfiguration, kSizeRow, kAlignCenterX, kAlignCenterY, true);
    page::Spacer(content, kSizeRow);
    bool cannotModify = false;
    for (int32_t i = 0; i < fixes.count; ++i) cannotModify = cannotModify || fixes[i] == kFixCannotModify;
    if (cannotModify) {
        page::Text(content, texts::kConfigCannotBeModified,
                   kSizeRow, kAlignCenterX, kAlignCenterY, false)
            ->SetType(UiText::kTextWarning);
        page::Text(content, texts::kUseManualInstallation, kSizeRow, kAlignCenterX, kAlignCenterY, false);
    } else {
        page::Text(content, texts::kModelersStartedToFix, kSizeRow, kAlignCenterX, kAlignCenterY, false);
        page::Text(content, texts::kCloseModelersAndHub, kSizeRow,
                   2, 2, false);
    }
    page::Filler(content);
    auto* row = new UiBox;
    row->Shape(UiBox::kLayoutHorizontal, kSizeRow);
    content.AddChild(row);
    page::Filler(*row);
    if (cannotModify) forward_ = cancel_ = page::FunctionButton(*row, WTXT("Back"), kSizeFlexible, Installer::kSearch, installer);
    else forward_ = page::FunctionButton(*row, WTXT("Continue"), kSizeFlexible, Installer::kPrepare, installer);
}
