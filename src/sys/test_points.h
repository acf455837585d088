// Named points where a test takes hold of the process, to prove what it
// does when it is cut off or asked to end there. Each variable names one
// point, optionally followed by ":" and the pass at which to act
// ("copied:40", the 40th copied file; the first pass when no number is
// given):
//   $VELDO_CRASH_AT  the process is killed there, as a power cut or a
//                    kill -9 would end it;
//   $VELDO_HOLD_AT   the process logs "Held at <point>" and waits there
//                    until the file $VELDO_HOLD_RELEASE exists (at most a
//                    minute), so that a test can act on it meanwhile (send
//                    a signal, close the window).
// Without the variables every point passes at once.
#pragma once

void TestPoint(const char* name);
