// view: monitor_core
// allowed: monitor
// The core is plain C++: no Qt header may be found.
#include <QString>
