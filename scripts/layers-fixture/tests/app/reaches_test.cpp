// Another test folder's helper is not reachable.
#include "ui/ui_events.h"
