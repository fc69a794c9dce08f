#pragma once

#include <cstdint>
#include <string>

namespace marrowlight {

// Progress of a pass, shown while it runs. The shell writes the status bar
// and repaints it at once; the end of the pass restores the active tab's texts.
class PassProgress {
  public:
    virtual ~PassProgress() = default;
    // Sets status panel 3 to text; with clearOthers panels 0..2 are emptied too.
    virtual void ShowProgress(const std::string& text, bool clearOthers) = 0;
    // Around the reading of a chunk (the shell shows the wait cursor), with
    // how many bytes it has to read.
    virtual void ChunkStarted(uint64_t /*bytes*/) {}
    virtual void ChunkEnded() {}
};

// Discards everything.
class SilentProgress : public PassProgress {
  public:
    void ShowProgress(const std::string&, bool) override {}
};

} // namespace marrowlight
