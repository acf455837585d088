// Script tags: a tag whose value is a message or an action cell and whose
// link list names the cells it goes to. Firing hands the message to every
// live target; evaluating hands the action to the one target, which writes
// its answer into it. This is how widgets reach the program without calling
// it.
#pragma once

#include "cell/tags.h"

// Gives the tag its message (owned from here on) and makes target its one
// target; the tag is marked changed.
void SetScript(Tag& tag, Cell* message, Cell* target);
// Set only with exactly one live target.
bool ScriptIsSet(const BTag* tag);
// The number of live targets that received the tag's message.
int32_t FireScript(BTag* tag);
// The tag's action after its single live target answered it, or null when
// the script is not set.
Cell* EvaluateScript(BTag* tag);
// The answer of a boolean action (a BoolCell family); fallback when the
// script is not set or answers with something else.
bool EvaluateScriptBool(BTag* tag, bool fallback);
