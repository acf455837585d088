// The agreement page: the licence in a scroll view, "Exit" and "I Agree".
#include "core/text_convert.h"
#include "install/install_batch.h"
#include "sys/text_files.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel0_Welcome::Build(Installer& installer, UiBox& content) {
    WPath path = PayloadFolder();
    path.Join(WTXT("license.txt"));
    NString bytes;
    WString licence;
    if (ReadTextFile(path.CStr(), bytes) == kTextOk) Utf8ToWide(bytes.CStr(), licence);
    else licence.Assign(WTXT("License error."));
    auto* text = new UiText(licence.CStr(), kSizeFlexible, kAlignLeft, kAlignCenterY, false);
    text->SetWordWrap(true);
    FltParamCell rule;
    ApplySizeKind(kSizeFlexible, rule);
    AddScrollView(rule, content, text);
    UiBox* row = page::ButtonRow(content);
    cancel_ = page::FunctionButton(*row, WTXT("Exit"), kSizeFlexible, Installer::kCloseWindow, installer);
    forward_ = page::FunctionButton(*row, WTXT("I Agree"), kSizeFlexible, Installer::kSearch, installer);
}
