// The tests' shared helpers are; the tests' own files are not.
#include "support/helper.h"
#include "../tests/ui/ui_events.h"
