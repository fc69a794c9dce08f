// view: monitor_core
// allowed: monitor
// The core must not see the Qt code of its own subsystem.
#include "monitor/LogTabs.h"
