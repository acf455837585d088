// SysIO: the single platform-service object through which the program shows
// message boxes and reaches a few fixed texts. GetSysIO gives the process's
// one instance (created on first call, never destroyed); call it once before
// worker threads start.
#pragma once

#include <cstdint>

#include "cell/dynamic_string.h"
#include "sys/user_folders.h"

class SysIO {
public:
    virtual ~SysIO() = default;

    // Message boxes: the body is first, a line feed, second (either may be null).
    virtual void ShowInfo(const WChar* first, const WChar* second) = 0;
    virtual void ShowWarning(const WChar* first, const WChar* second) = 0;
    virtual void ShowError(const WChar* first, const WChar* second) = 0;
    virtual bool AskOkCancel(const WChar* first, const WChar* second) = 0;

    // The file-type table (type 0 to 5; others give empty texts).
    virtual const WChar* FileTypePattern(int32_t type) const;
    virtual const WChar* FileTypeName(int32_t type) const;  // translated

    virtual double ProductDataVersion() const { return kProductDataVersion; }
    virtual const WChar* ProductName() const { return kProductName; }
};

SysIO& GetSysIO();

// The untranslated name of a file type ("" when unknown).
const WChar* FileTypeEnglishName(int32_t type);
