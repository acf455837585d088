#include "wizard/page_parts.h"

#include "cell/scripts.h"
#include "cell/tags.h"
#include "install/install_batch.h"
#include "lang/language_table.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_image.h"
#include "ui/widgets/ui_text.h"
#include "wizard/installer.h"

namespace page {

namespace {

UiBox* NewBox(int32_t layout, int32_t sizeKind, float pixels = 0) {
    auto* box = new UiBox;
    box->Shape(layout, sizeKind);
    if (sizeKind == kSizeAsGiven) MakeFixedRule(*box->SizeRule(), pixels);
    return box;
}

}  // namespace

UiBox* BuildFrame(UiBox& box) {
    while (box.children.count > 0) box.children.Remove(0);
    UiBox* outer = NewBox(UiBox::kLayoutVertical, kSizeFlexible);
    UiBox* row = NewBox(UiBox::kLayoutHorizontal, kSizeFlexible);
    UiBox* banner = NewBox(UiBox::kLayoutVertical, kSizeAsGiven, 96);
    WPath image = PayloadFolder();
    image.Join(WTXT("InstallerData\\veldo_banner.png"));
    auto* picture = new UiImage(image.CStr(), kSizeAsGiven);
    MakeFixedRule(*picture->SizeRule(), 480);
    banner->AddChild(picture);
    UiBox* content = NewBox(UiBox::kLayoutVertical, kSizeFlexible);
    row->AddChild(banner);
    row->AddChild(content);
    outer->AddChild(row);
    box.AddChild(outer);
    return content;
}

UiText* Text(UiBox& parent, const WChar* text, int32_t sizeKind, int32_t alignX, int32_t alignY, bool title) {
    // A whole text in the table, else a labelled line ("Cannot read: " and
    // a path) with its label translated.
    WString shown(Translate(text));
    if (WCompare(shown.CStr(), text) == 0) TranslateLead(text, shown);
    auto* cell = new UiText(shown.CStr(), sizeKind, alignX, alignY, title);
    parent.AddChild(cell);
    return cell;
}

UiBox* Filler(UiBox& parent) {
    UiBox* box = NewBox(UiBox::kLayoutNone, kSizeFlexible);
    parent.AddChild(box);
    return box;
}

UiBox* Spacer(UiBox& parent, int32_t sizeKind, float pixels) {
    UiBox* box = NewBox(UiBox::kLayoutNone, sizeKind, pixels);
    parent.AddChild(box);
    return box;
}

UiBox* ButtonRow(UiBox& parent) {
    UiBox* row = NewBox(UiBox::kLayoutHorizontal, kSizeRow);
    parent.AddChild(row);
    return row;
}

UiButton* Button(UiBox& parent, const WChar* title, int32_t sizeKind, Cell* message, Cell& target) {
    auto* button = new UiButton(title, sizeKind, 0, kAlignCenterX, kAlignCenterY);
    SetScript(*button->ValueTagAt(UiButton::kButtonUpScript), message, &target);
    parent.AddChild(button);
    return button;
}

UiButton* FunctionButton(UiBox& parent, const WChar* title, int32_t sizeKind, int32_t function, Installer& installer) {
    auto* message = new Installer_Fnc;
    message->value = function;
    return Button(parent, Translate(title), sizeKind, message, installer);
}

}  // namespace page
