// Pasting hostile clipboard text: the text (UTF-8 here) is decoded from
// Base64 and deserialised, or taken as plain text, without a crash.
#include <cstddef>
#include <cstdint>

#include "app/register_all_cells.h"
#include "cell/chunks.h"
#include "core/log.h"
#include "cell/gates.h"
#include "core/text_convert.h"

namespace {

// The clipboard of a window, in memory.
class TextHolder : public GCell, public ClipboardHolder {
public:
    WString text;
    void SetClipboardText(const WChar* t) override { text.Assign(t); }
    void GetClipboardText(WString& t) override { t = text; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (RegisterAllCellClasses(), true);
    (void)ready;
    TextHolder holder;
    Utf8ToWide(reinterpret_cast<const char*>(data), int32_t(size), holder.text);
    ClipboardGate gate;
    gate.window.PointAt(holder.EnsureSelfLink());
    SObject<Cell> pasted(ReadOneCellOrText(gate));
    // Whatever came out copies back.
    if (pasted) WriteOneCell(gate, *pasted);
    return 0;
}
