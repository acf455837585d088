// The menu-configuration edit on hostile text: removing branches, finding
// the insertion point and inserting a branch never crash and never leave
// this plug-in's marks behind where they could be removed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "install/lightwave_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NString text;
    text.Assign(reinterpret_cast<const char*>(data), int32_t(size));
    // Text stops at a zero byte, as the editors read it.
    text.Assign(text.CStr());
    lightwave_config::RemoveMenuBranches(text);
    int32_t at = 0;
    if (lightwave_config::FindMenuInsertionPoint(text, at) == lightwave_config::MarkerState::kOnce) {
        if (at < 0 || at > text.Length()) std::abort();
        NString block("BranchEntry 65536 \"Veldo5 Fuzz\" _\r\nBranchEntry 131073 \"MENU_VELDO5_FUZZ\" \"f\"\r\n");
        lightwave_config::BranchToMenuBlock(block);
        text.Insert(at, block);
        lightwave_config::RemoveMenuBranches(text);
    }
    return 0;
}
