// The completion page: "Install complete!" or "Installation failed!", the
// report on request (scrolled to its end), the error lines, the menu
// branches left for the user with the tutorial link, "Show report"/"Hide
// report" and "Exit".
#include <limits>

#include "core/log.h"

#include "install/install_batch.h"
#include "lang/language_table.h"
#include "lang/user_texts.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_button.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel5_InstallationComplete::Build(Installer& installer, UiBox& content) {
    const bool failed = processor && processor->errorLines.count > 0;
    const WChar* heading = failed ? texts::kInstallationFailed : texts::kInstallComplete;
    // Where the log is, under the heading, as the unattended mode says it.
    WString logLine;
    if (const WChar* where = LogLocation(); where && *where) {
        logLine.Assign(texts::kLog);
        logLine.Append(where);
    }
    if (reportShown) {
        page::Text(content, heading, kSizeRow, kAlignCenterX, kAlignCenterY, true);
        if (!logLine.IsEmpty()) page::Text(content, logLine.CStr(), kSizeRow, kAlignCenterX, kAlignCenterY, false);
        auto* lines = new UiBox;
        lines->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        for (int32_t i = 0; processor && i < processor->reportLines.count; ++i)
            page::Text(*lines, processor->reportLines[i]->CStr(), kSizeRow, kAlignLeft, kAlignCenterY, false);
        FltParamCell rule;
        ApplySizeKind(kSizeFlexible, rule);
        UiScrollView* view = AddScrollView(rule, content, lines);
        view->SetOffset(std::numeric_limits<float>::max());  // its last line in sight
    } else {
        page::Filler(content);
        page::Text(content, heading, kSizeRow, kAlignCenterX, kAlignCenterY, true);
        if (!logLine.IsEmpty()) page::Text(content, logLine.CStr(), kSizeRow, kAlignCenterX, kAlignCenterY, false);
    }
    if (processor && processor->errorLines.count > 0) {
        page::Spacer(content, kSizeRow);
        for (int32_t i = 0; i < processor->errorLines.count; ++i)
            page::Text(content, processor->errorLines[i]->CStr(), kSizeRow, kAlignCenterX, kAlignCenterY, false);
        if (processor->lightWaveFlag) {
            page::Spacer(content, kSizeRow);
            page::Text(content, texts::kCloseRunningLightWave, kSizeRow, kAlignCenterX, kAlignCenterY,
                       false);
        }
    }
    if (processor && processor->warningLines.count > 0) {
        page::Spacer(content, kSizeRow);
        for (int32_t i = 0; i < processor->warningLines.count; ++i)
            page::Text(content, processor->warningLines[i]->CStr(), kSizeRow, kAlignLeft, kAlignCenterY, false);
        if (processor->manualMenuFlag) {
            page::Spacer(content, kSizeRow);
            page::Text(content, texts::kMenuBranchesByHand, kSizeRow, kAlignCenterX, kAlignCenterY, false)
                ->SetType(UiText::kTextWarning);
            page::Text(content, texts::kWatchMenuBranchesTutorial, kSizeRow, kAlignLeft, kAlignCenterY, false);
            page::FunctionButton(content, kTutorialLink, kSizeRow, Installer::kOpenTutorial, installer);
        }
    }
    if (!reportShown) page::Filler(content);
    UiBox* row = page::ButtonRow(content);
    page::Button(*row, Translate(reportShown ? WTXT("Hide report") : WTXT("Show report")), kSizeFlexible,
                 new InstallPanel5_InstallationComplete_SwitchReport, *this);
    forward_ = cancel_ = page::FunctionButton(*row, WTXT("Exit"), kSizeFlexible, Installer::kCloseWindow, installer);
}
