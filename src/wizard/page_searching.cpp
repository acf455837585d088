// The search page: "Looking for installed programs .." while the search job runs.
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "wizard/install_panels.h"
#include "wizard/page_parts.h"

void InstallPanel1_SearchingPlatforms::Build(Installer&, UiBox& content) {
    page::Filler(content);
    page::Text(content, WTXT("Looking for installed programs .."), kSizeRow, 2, 2, false);
    page::Text(content, WTXT(""), kSizeRow, 0, 2, false);
    page::Filler(content);
}
