// Fine: src/, its own folder, the shared helpers, any system header.
#include <unistd.h>
#include "ui/ui_box.h"
#include "ui_events.h"
#include "support/helper.h"
