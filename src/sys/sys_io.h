// SysIO: the single platform-service object through which the program shows
// message boxes and reaches a few fixed texts. The program registers its own
// object (translated captions and file-type names) at start-up, before
// worker threads start; until then GetSysIO gives a plain one with English
// captions. Every box's text also goes to the log.
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"
#include "sys/user_folders.h"

class SysIO {
public:
    virtual ~SysIO() = default;

    // Message boxes: the body is first, a line feed, second (either may be
    // null). Captions "Info", "Warning" and "Error" go through Caption;
    // the question's caption is the product's name, untranslated.
    void ShowInfo(const WChar* first, const WChar* second);
    void ShowWarning(const WChar* first, const WChar* second);
    void ShowError(const WChar* first, const WChar* second);
    bool AskOkCancel(const WChar* first, const WChar* second);

    // File and folder dialogs: true with the chosen path (Windows form);
    // false with an empty path when cancelled. The file type (0 to 5) gives
    // the dialog's one filter.
    bool OpenFileDialog(WString& path, const WChar* title, int32_t type);
    bool SaveFileDialog(WString& path, const WChar* title, int32_t type);
    bool PickFolderDialog(WString& path, const WChar* title);
    // The colour picker, from an initial colour (red, green, blue, alpha,
    // 0 to 1): the chosen colour with alpha 1, or all zeros when cancelled.
    void ChooseColour(const float initial[4], float chosen[4]);
    void OpenLink(const WChar* url);

    // The caption shown for an English caption word.
    virtual const WChar* Caption(const WChar* english) const { return english; }

    // The file-type table (type 0 to 5; others give empty texts).
    virtual const WChar* FileTypePattern(int32_t type) const;
    virtual const WChar* FileTypeName(int32_t type) const;  // translated

    virtual double ProductDataVersion() const { return kProductDataVersion; }
    virtual const WChar* ProductName() const { return kProductName; }
};

// The registered object (it lives for the whole process), else the plain one.
SysIO& GetSysIO();
void SetSysIO(SysIO* io);

// The untranslated name of a file type ("" when unknown).
const WChar* FileTypeEnglishName(int32_t type);
