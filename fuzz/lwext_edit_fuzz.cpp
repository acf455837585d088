// The extension-configuration edit on hostile text: our blocks come out and
// a filled template goes in, without a crash.
#include <cstddef>
#include <cstdint>

#include "install/lightwave_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NString text;
    text.Assign(reinterpret_cast<const char*>(data), int32_t(size));
    text.Assign(text.CStr());
    lightwave_config::RemoveExtensionBlocks(text);
    NString blocks(text);
    lightwave_config::FillExtensionTemplate(blocks, WTXT("C:\\Program Files\\LightWave\\support\\plugins\\Brimvale\\Veldo5"), 1252);
    text.Append(blocks);
    lightwave_config::RemoveExtensionBlocks(text);
    return 0;
}
