// The installing page: "Installing..." while the installation job runs.
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "wizard/install_panels.h"
#include "wizard/page_parts.h"

void InstallPanel4_Installation::Build(Installer&, UiBox& content) {
    page::Filler(content);
    page::Text(content, WTXT("Installing..."), kSizeRow, 2, 2, true);
    page::Text(content, WTXT(""), kSizeRow, 0, 2, false);
    page::Filler(content);
}
