#pragma once

#include "monitor/core/LineProducer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marrowlight {

// The address and caption of the log of the standard input.
inline constexpr const char* StandardInputAddress = "-";
inline constexpr const char* StandardInputCaption = "standard input";

// What arrives on a pipe or other stream (the standard input), followed as
// it comes. It reads only what poll says is there, so a silent writer never
// blocks the window, and it leaves the descriptor's flags alone: the
// standard input may be a terminal that other programs share.
class StreamProducer : public LineProducer {
  public:
    // The descriptor stays the caller's and open.
    explicit StreamProducer(int fd);

    ProduceStatus Produce(TextSink& out, std::chrono::steady_clock::time_point deadline) override;
    int WakeDescriptor() const override { return ended_ ? -1 : fd_; }
    std::string StateText() const override { return state_; }

  private:
    ProduceStatus End(std::string state);

    int fd_;
    bool ended_ = false;
    uint64_t lines_ = 0;
    std::vector<char> buffer_;
    std::string state_;
};

} // namespace marrowlight
