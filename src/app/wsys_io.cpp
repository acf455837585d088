// The program's platform-service object: message boxes with translated
// captions (every box's text also goes to the log) and translated file-type
// names.
#include "app/log.h"
#include "lang/language_table.h"
#include "sys/platform.h"
#include "sys/sys_io.h"

namespace {

class WSysIO : public SysIO {
public:
    void ShowInfo(const WChar* first, const WChar* second) override {
        Show(first, second, Translate(WTXT("Info")), SysBoxKind::kInfo);
    }
    void ShowWarning(const WChar* first, const WChar* second) override {
        Show(first, second, Translate(WTXT("Warning")), SysBoxKind::kWarning);
    }
    void ShowError(const WChar* first, const WChar* second) override {
        Show(first, second, Translate(WTXT("Error")), SysBoxKind::kError);
    }
    bool AskOkCancel(const WChar* first, const WChar* second) override {
        return Show(first, second, WTXT("VELDO"), SysBoxKind::kOkCancel);
    }
    const WChar* FileTypeName(int32_t type) const override { return Translate(FileTypeEnglishName(type)); }

    static bool Show(const WChar* first, const WChar* second, const WChar* caption, SysBoxKind kind) {
        WString body(first);
        body.AppendChar(WChar('\n'));
        body.Append(second);
        LogLine(LogPathOrNull(), WTXT("%s: %s"), caption, body);
        return SysMessageBox(body.CStr(), caption, kind);
    }
};

}  // namespace

SysIO& GetSysIO() {
    static SysIO* instance = new WSysIO;  // lives for the whole process
    return *instance;
}
