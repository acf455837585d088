// Named points where a test has the process killed, as a power cut or a
// kill -9 would end it, to prove that what is on disk there is put right at
// the next start. $VELDO_CRASH_AT names one point, optionally followed by
// ":" and the pass at which to stop ("copied:40", the 40th copied file;
// the first pass when no number is given). Without the variable every
// point passes.
#pragma once

void CrashPoint(const char* name);
