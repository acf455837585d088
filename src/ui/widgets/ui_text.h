// UiText: a text in its rectangle (narrowed by 2 px left and right),
// aligned both ways, coloured by its type, in the title or body font,
// optionally word-wrapped to the rectangle's width, optionally taken from
// a source cell.
//
// Sections: layout (word wrap, measure); behaviour; drawing.
#pragma once

#include "cell/enum_cells.h"
#include "core/dynamic_string.h"
#include "ui/ui_box.h"

class FontGx;

class UiText : public UiBox {
    VELDO_CELL(UiText, UiBox, 0xBAB0FB33125AC0A0ULL)

public:
    enum TextTag : int32_t {
        kText = kBoxTagCount,
        kSrcText,
        kTextAlignX,
        kTextAlignY,
        kIsTitle,
        kType,
        kWordWrapEnabled,
        kIsVisibleScript,
        kTextTagCount
    };
    // Words longer than this are cut where the line ends, not moved on.
    static constexpr int32_t kLongWord = 15;

    SObject<MeshGx> textMesh;

    UiText() = default;
    UiText(const WChar* text, int32_t sizeKind, int32_t alignX, int32_t alignY, bool isTitle);
    void DeclareTags() override;

    // ---- layout
    void SetText(const WChar* text);
    const WChar* Text() const;
    void SetWordWrap(bool on);
    // How a text shows (ec_UiTextType): its colour.
    enum TextType : int32_t { kTextPlain = 0, kTextWarning = 1, kTextSuccess = 2, kTextFaint = 3 };
    void SetType(int32_t type);
    // The text's colour by its type: 0 entry 9, 1 entry 11, 2 entry 13,
    // 3 entry 15, anything else as 0.
    uint32_t Color() const;
    // The text as it is drawn: wrapped when wrapping is on and the box has
    // a rectangle.
    const WString& Shown() const { return shown_; }
    // One row square without wrapping (or a rectangle); wrapped, the
    // widest line by the lines' advance.
    void Measure() override;
    int32_t Visibility() const override;

    // ---- behaviour
    // Takes the text from the cell its "SrcText" links to.
    void LinkSource(Cell& source);

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;
    // The font the text is drawn with (the root's title or body font).
    const FontGx* TextFont() const;

private:
    WString shown_;
    float wrappedWidth_ = -1;  // the width shown_ was wrapped for

    void UpdateShown();
};

// Wraps text for lines at most width pixels wide in font: line ends made
// "\n" (a lone "\r" a space, character 1 dropped); a line too long breaks
// at the space before the word that overflows it (that space becomes
// "\r"); a word alone on its line, or longer than 15 characters, is cut
// inside where the line is full.
WString WrapText(const FontGx& font, const WChar* text, float width);
