#pragma once

#include "monitor/core/LineIndex.h"

namespace marrowlight {

// The list a pass writes a log's lines to. The shell's list model implements
// it so every change reaches the view as one reset or one row insertion;
// MemoryLineList is the plain one.
class LineSink {
  public:
    virtual ~LineSink() = default;
    virtual const LineIndex& Lines() const = 0;
    // Removes every row and forgets the file (one reset).
    virtual void ClearLines() = 0;
    // Replaces all rows by lines, file included (one reset).
    virtual void LoadLines(LineIndex&& lines) = 0;
    // Adds lines after the last row, in their order. The list keeps its own
    // file when it has rows, else it takes the one of lines.
    virtual void AppendLines(LineIndex&& lines) = 0;
    // Puts lines above the first row; lines are in the order they will show,
    // top first.
    virtual void InsertLinesAtTop(LineIndex&& lines) = 0;
};

// Shared by every sink: the plain row operations behind the four above.
void MergeAppend(LineIndex& list, LineIndex&& lines);
void MergeAtTop(LineIndex& list, LineIndex&& lines);

class MemoryLineList : public LineSink {
  public:
    const LineIndex& Lines() const override { return lines_; }
    void ClearLines() override { lines_.clear(); }
    void LoadLines(LineIndex&& lines) override { lines_ = std::move(lines); }
    void AppendLines(LineIndex&& lines) override { MergeAppend(lines_, std::move(lines)); }
    void InsertLinesAtTop(LineIndex&& lines) override { MergeAtTop(lines_, std::move(lines)); }

  private:
    LineIndex lines_;
};

} // namespace marrowlight
