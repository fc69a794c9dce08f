#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "monitor/core/LineIndex.h"

namespace marrowlight {

// Reads a row's bytes back from the file its index describes and decodes
// them to UTF-8, keeping recent rows so repaints and scrolling do not read
// again. Rows are keyed by file and offset, so inserting at the top does not
// invalidate them.
class LineTextSource {
  public:
    // Empty text when the row is out of range, the index has no file or the
    // read fails.
    std::string Text(const LineIndex& lines, size_t row);
    void Clear();

  private:
    struct Slot {
        uint64_t SourceId = 0;
        uint64_t Offset = 0;
        uint64_t Length = 0;
        bool Used = false;
        std::string Text;
    };
    static constexpr size_t SlotCount = 512;
    std::array<Slot, SlotCount> slots_;
    std::string bytes_;
};

} // namespace marrowlight
