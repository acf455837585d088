// The installer without a window: the search, then the same Installer
// functions the wizard's buttons run, with what the pages would show
// printed on standard output. Its exit codes are in exit_codes.h.
#pragma once

#include <cstdint>

#include "app/exit_codes.h"
#include "core/wide_text.h"
#include "sys/journal_recovery.h"

// recovered: what the start put back, printed first ("Restored: " and the
// host, or "Cannot restore: " and each path left).
int32_t RunUnattended(const WChar* word, const Container<RecoveredBatch>& recovered);
