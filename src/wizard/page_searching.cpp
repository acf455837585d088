// The search page: "Looking for installed programs .." while the search job
// runs, and how many host records it has looked at so far.
#include "lang/language_table.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel1_SearchingPlatforms::Build(Installer& installer, UiBox& content) {
    page::Filler(content);
    page::Text(content, WTXT("Looking for installed programs .."), kSizeRow, kAlignCenterX, kAlignCenterY, false);
    count_ = page::Text(content, WTXT(""), kSizeRow, kAlignCenterX, kAlignCenterY, false)->SelfSlave();
    shown_ = -1;
    page::Filler(content);
    Update(installer);
}

void InstallPanel1_SearchingPlatforms::Update(Installer& installer) {
    auto* count = CellAs<UiText>(count_.Get());
    if (!count || !installer.searchJob) return;
    const int32_t seen = installer.searchJob->recordsSeen.load(std::memory_order_relaxed);
    if (seen == shown_) return;
    shown_ = seen;
    WString text;
    text.Format(WTXT("%s%d"), Translate(WTXT("Host records looked at: ")), seen);
    count->SetText(text.CStr());
}
