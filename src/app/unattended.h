// The installer without a window: the search, then the same Installer
// functions the wizard's buttons run, with what the pages would show
// printed on standard output. Exit codes: 0 done, 1 installation failed,
// 2 LightWave configuration needs attention, 3 no supported host found,
// 64 an unknown word.
#pragma once

#include <cstdint>

#include "cell/core/wide_text.h"
#include "sys/journal_recovery.h"

enum e_UnattendedExit : int32_t {
    kUnattendedDone = 0,
    kUnattendedFailed = 1,
    kUnattendedNeedsFix = 2,
    kUnattendedNoHost = 3,
    kUnattendedUsage = 64,
};

// recovered: what the start put back, printed first ("Restored: " and the
// host, or "Cannot restore: " and each path left).
int32_t RunUnattended(const WChar* word, const Container<RecoveredBatch>& recovered);
