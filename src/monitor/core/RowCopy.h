#pragma once

#include "monitor/core/LineIndex.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace marrowlight {

// Rows First..Last of a list, both included.
struct RowRange {
    size_t First = 0;
    size_t Last = 0;
};

// The bytes the rows take in the log: about what copying them costs, known
// without reading them.
uint64_t RowBytes(const LineIndex& lines, const std::vector<RowRange>& ranges);

// The rows' text as it is drawn, for the clipboard: decoded, a zero byte as
// "␀", rows in the order given, separated by LF. With gutter, each row starts
// with gutter(row) and a tab. A row the log no longer holds whole gives what
// is left of it, as it is drawn. The log is read in blocks of many rows.
std::string RowsText(const LineIndex& lines, const std::vector<RowRange>& ranges,
                     const std::function<std::string(size_t row)>& gutter = {});

} // namespace marrowlight
