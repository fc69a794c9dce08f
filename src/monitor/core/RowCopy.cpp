#include "monitor/core/RowCopy.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/TerminalEscapes.h"
#include "monitor/core/TextEncoding.h"

#include <algorithm>

namespace marrowlight {

namespace {

constexpr uint64_t BlockBytes = uint64_t{1} << 20;
constexpr uint64_t MaxGapBytes = uint64_t{64} << 10;
constexpr std::string_view ZeroMark = "\xE2\x90\x80"; // U+2400, as the rows draw it

// What the row shows: no escape sequences, a zero byte as its mark.
void AppendShown(std::string& out, std::string_view decoded) {
    std::string visible;
    if (HasTerminalEscapes(decoded)) {
        visible = VisibleText(decoded);
        decoded = visible;
    }
    size_t start = 0;
    for (size_t zero = decoded.find('\0'); zero != std::string_view::npos;
         zero = decoded.find('\0', start)) {
        out.append(decoded, start, zero - start);
        out.append(ZeroMark);
        start = zero + 1;
    }
    out.append(decoded, start);
}

} // namespace

// Rows are walked with the index's iterator: a row looked up alone costs a
// sum over its block.
uint64_t RowBytes(const LineIndex& lines, const std::vector<RowRange>& ranges) {
    uint64_t bytes = 0;
    for (const RowRange& range : ranges) {
        if (range.First >= lines.size())
            continue;
        auto it = lines.At(range.First);
        for (size_t row = range.First; row <= range.Last && row < lines.size(); ++row, ++it)
            bytes += (*it).Length() + 1;
    }
    return bytes;
}

std::string RowsText(const LineIndex& lines, const std::vector<RowRange>& ranges,
                     const std::function<std::string(size_t row)>& gutter) {
    std::string out, block, decoded;
    std::vector<LineEntry> run;
    const OpenFile* file = lines.Source().get();
    bool firstRow = true;
    for (const RowRange& range : ranges) {
        if (range.First >= lines.size())
            continue;
        const size_t last = std::min(range.Last, lines.size() - 1);
        size_t row = range.First;
        auto it = lines.At(row);
        while (row <= last) {
            // The rows from here whose bytes follow one another in the log,
            // one way or the other, close together: read at once.
            run.assign(1, *it);
            ++it;
            uint64_t low = run[0].Offset;
            uint64_t high = low + run[0].Length();
            int way = 0;
            for (size_t end = row + 1; end <= last; ++end, ++it) {
                const LineEntry line = *it;
                const uint64_t offset = line.Offset;
                const uint64_t stop = offset + line.Length();
                const int step = offset > run.back().Offset ? 1 : -1;
                if (way != 0 && step != way)
                    break;
                if (step > 0 ? offset < high || offset - high > MaxGapBytes
                             : stop > low || low - stop > MaxGapBytes)
                    break;
                if (std::max(high, stop) - std::min(low, offset) > BlockBytes)
                    break;
                way = step;
                low = std::min(low, offset);
                high = std::max(high, stop);
                run.push_back(line);
            }
            block.resize(static_cast<size_t>(high - low));
            ssize_t got = file ? file->ReadAt(low, block.data(), block.size()) : -1;
            block.resize(got > 0 ? static_cast<size_t>(got) : 0);
            for (const LineEntry& line : run) {
                if (!firstRow)
                    out += '\n';
                firstRow = false;
                if (gutter) {
                    out += gutter(row);
                    out += '\t';
                }
                const size_t begin = std::min(block.size(), static_cast<size_t>(line.Offset - low));
                const size_t length =
                    std::min(block.size() - begin, static_cast<size_t>(line.Length()));
                decoded.clear();
                AppendDecodedLine(decoded, std::string_view(block).substr(begin, length),
                                  lines.Encoding());
                AppendShown(out, decoded);
                ++row;
            }
        }
    }
    return out;
}

} // namespace marrowlight
