#pragma once

#include "support/core/Clock.h"

#include <cstdint>

namespace marrowlight {

// Record of a list row that arrived by a pass: its arrival time and its
// running number among the new lines of the tab. Rows of a bulk load have none.
struct LineRecord {
    DateTime Time = 0;
    int32_t LineNo = 0;
};

} // namespace marrowlight
