// view: monitor
// Includes only what the monitor may use; it must build, or the other probes
// prove nothing.
#include "monitor/LogTabs.h"
#include "settings/OptionsDialog.h"
#include "support/core/TextUtils.h"
