// The next start's side of the installation journal: batches that a run
// left half done (killed, crashed, a power cut) are put back as they were,
// or, when they had committed, finished; and what such runs set aside and
// no journal claims any more is removed.
#pragma once

#include "core/container.h"
#include "core/dynamic_string.h"

struct RecoveredBatch {
    WString host;
    WString journal;             // the journal's file
    bool committed = false;      // done but for its clean-up, which is now finished
    Container<WString> restored;  // what was put back
    Container<WString> failed;    // what could not be; the journal then stays
};

// Every journal in the product data folder whose process is gone (its lock
// is free): rolled back, or its commit finished, then removed. A journal
// that cannot be read at all, or not be put back completely, stays and is
// listed with what failed. Each is logged.
void RecoverJournals(Container<RecoveredBatch>& out);

// Removes from the folder (not below it) the items this program set aside
// or was writing (".veldo-old-<pid>-<n>", ".veldo-new-<pid>-<n>") whose
// process is gone and that no journal left in the product data folder
// claims. Elevated where denied only with mayElevate; otherwise what
// cannot be removed is logged and left.
void RemoveLeftoversIn(const WChar* folder, bool mayElevate);
