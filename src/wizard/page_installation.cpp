// The installing page: "Installing...", a bar of the bytes copied of all the
// payload, and the file being copied, while the installation job runs.
#include "core/log.h"
#include "lang/language_table.h"
#include "lang/user_texts.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_progress_bar.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel4_Installation::Build(Installer& installer, UiBox& content) {
    page::Filler(content);
    heading_ = page::Text(content, WTXT("Installing..."), kSizeRow, kAlignCenterX, kAlignCenterY, true)->SelfSlave();
    finishingShown_ = false;
    auto* bar = new UiProgressBar(kSizeRow);
    content.AddChild(bar);
    bar_ = bar->SelfSlave();
    file_ = page::Text(content, WTXT(""), kSizeRow, kAlignCenterX, kAlignCenterY, false)->SelfSlave();
    shownFiles_ = -1;
    page::Filler(content);
    Update(installer);
}

void InstallPanel4_Installation::Update(Installer& installer) {
    auto* bar = CellAs<UiProgressBar>(bar_.Get());
    auto* file = CellAs<UiText>(file_.Get());
    if (!bar || !file || !installer.installJob) return;
    // Asked to end: the host in progress is finished, and the user sees
    // why the window stays.
    auto* heading = CellAs<UiText>(heading_.Get());
    if (installer.endRequested && !finishingShown_ && heading) {
        WString line(Translate(texts::kFinishingInto));
        line.Append(installer.CurrentHost());
        heading->SetText(line.CStr());
        finishingShown_ = true;
        LogLine(WTXT("Wizard page: installing, finishing %s"), installer.CurrentHost());
    }
    const InstallProgress& progress = installer.installJob->progress;
    if (!progress.Counted()) return;
    bar->SetFraction(progress.Fraction());
    const int32_t done = progress.DoneFiles();
    if (done == shownFiles_) return;
    shownFiles_ = done;
    file->SetText(progress.CurrentFile());  // a path, as it is
}
