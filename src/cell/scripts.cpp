#include "cell/scripts.h"

#include "cell/synapser.h"
#include "cell/value_cells.h"

void SetScript(Tag& tag, Cell* message, Cell* target) {
    tag.SetValue(message);
    Synapser& links = tag.Links();
    links.links.Clear();
    if (target) links.Add(target);
    tag.MarkChanged();  // what reads the script reads it again
}

bool ScriptIsSet(const BTag* tag) { return tag && tag->links && tag->links->LiveCount() == 1; }

int32_t FireScript(BTag* tag) {
    Tag* own = tag ? tag->AsTag() : nullptr;
    if (!own || !own->Value() || !own->links) return 0;
    return own->links->Deliver(*own->Value());
}

Cell* EvaluateScript(BTag* tag) {
    if (!ScriptIsSet(tag)) return nullptr;
    Tag* own = tag->AsTag();
    Cell* action = own ? own->Value() : nullptr;
    Cell* target = tag->links->FirstLive();
    if (!action || !target) return nullptr;
    target->Receive(*action);
    return action;
}

bool EvaluateScriptBool(BTag* tag, bool fallback) {
    const auto* answer = CellAs<BoolCell>(EvaluateScript(tag));
    return answer ? answer->value : fallback;
}
