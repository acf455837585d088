#include "app/wsys_io.h"

#include "lang/language_table.h"
#include "sys/sys_io.h"

namespace {

class WSysIO : public SysIO {
public:
    const WChar* Caption(const WChar* english) const override { return Translate(english); }
    const WChar* FileTypeName(int32_t type) const override { return Translate(FileTypeEnglishName(type)); }
};

}  // namespace

void RegisterProgramSysIO() {
    static WSysIO instance;  // lives for the whole process
    SetSysIO(&instance);
}
