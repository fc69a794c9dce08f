// view: monitor
// allowed: app
// The monitor reaches the main window only through interfaces it owns.
#include "app/MainMenu.h"
