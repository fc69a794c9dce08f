// view: support
// allowed: settings_core
// The bottom layer must not see the settings above it.
#include "settings/core/SettingsStore.h"
