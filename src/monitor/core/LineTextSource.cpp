#include "monitor/core/LineTextSource.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/TextEncoding.h"

namespace marrowlight {

std::string LineTextSource::Text(const LineIndex& lines, size_t row) {
    if (row >= lines.size() || !lines.Source())
        return {};
    const LineEntry& line = lines[row];
    Slot& slot = slots_[(line.Offset * 0x9E3779B97F4A7C15ull >> 40) % SlotCount];
    if (slot.Used && slot.SourceId == lines.SourceId() && slot.Offset == line.Offset &&
        slot.Length == line.Length())
        return slot.Text;

    bytes_.resize(static_cast<size_t>(line.Length()));
    ssize_t got = lines.Source()->ReadAt(line.Offset, bytes_.data(), bytes_.size());
    if (got < 0)
        return {};
    // A file cut short since the row was read shows what is left of the row.
    bytes_.resize(static_cast<size_t>(got));
    slot.Text.clear();
    AppendDecodedLine(slot.Text, bytes_, lines.Encoding());
    slot.SourceId = lines.SourceId();
    slot.Offset = line.Offset;
    slot.Length = line.Length();
    slot.Used = static_cast<size_t>(got) == line.Length();
    if (bytes_.capacity() > (size_t{1} << 20))
        std::string().swap(bytes_);
    return slot.Text;
}

void LineTextSource::Clear() {
    for (Slot& slot : slots_) {
        slot.Used = false;
        std::string().swap(slot.Text);
    }
}

} // namespace marrowlight
