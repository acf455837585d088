#include "sys/sys_io.h"

#include <iterator>

namespace {

struct FileType {
    const WChar* name;
    const WChar* pattern;
};

const FileType kFileTypes[] = {
    {WTXT("All files"), WTXT("*.*")},   {WTXT("Text files"), WTXT("*.txt")}, {WTXT("1D shapes"), WTXT("*.s1d")},
    {WTXT("2D shapes"), WTXT("*.s2d")}, {WTXT("3D shapes"), WTXT("*.s3d")},  {WTXT("VELDO files"), WTXT("*.veldo")},
};

}  // namespace

const WChar* FileTypeEnglishName(int32_t type) {
    return (type >= 0 && type < int32_t(std::size(kFileTypes))) ? kFileTypes[type].name : WTXT("");
}

const WChar* SysIO::FileTypePattern(int32_t type) const {
    return (type >= 0 && type < int32_t(std::size(kFileTypes))) ? kFileTypes[type].pattern : WTXT("");
}

const WChar* SysIO::FileTypeName(int32_t type) const { return FileTypeEnglishName(type); }
