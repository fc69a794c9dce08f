// view: monitor_core
// The core is plain C++: no Qt header may be found.
#include <QString>
