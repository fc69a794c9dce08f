#include "monitor/core/StreamProducer.h"

#include "monitor/core/ArchiveProducer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string_view>
#include <unistd.h>

namespace marrowlight {

namespace {

constexpr size_t ReadBytes = size_t{64} << 10;

} // namespace

StreamProducer::StreamProducer(int fd) : fd_(fd) {}

ProduceStatus StreamProducer::End(std::string state) {
    ended_ = true;
    state_ = std::move(state);
    std::vector<char>().swap(buffer_);
    return ProduceStatus::Finished;
}

ProduceStatus StreamProducer::Produce(TextSink& out,
                                      std::chrono::steady_clock::time_point deadline) {
    if (ended_)
        return ProduceStatus::Finished;
    buffer_.resize(ReadBytes);
    for (;;) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, 0);
        if (polled < 0) {
            if (errno == EINTR)
                continue;
            return End(std::string("Input can't be read: ") + std::strerror(errno) + ".");
        }
        if (polled == 0)
            return ProduceStatus::Waiting;
        if (ready.revents & POLLNVAL)
            return End("Input ended.");
        // Readable, at its end or failed: one read tells which, and does
        // not block.
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got == 0)
            return End("Input ended.");
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return ProduceStatus::Waiting;
            return End(std::string("Input can't be read: ") + std::strerror(errno) + ".");
        }
        const std::string_view bytes(buffer_.data(), static_cast<size_t>(got));
        if (!out.Append(bytes))
            return End("Stopped after " + GroupedNumber(lines_) +
                       " lines: no room for more in the temporary folder.");
        lines_ += static_cast<uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
        if (std::chrono::steady_clock::now() >= deadline)
            return ProduceStatus::More;
    }
}

} // namespace marrowlight
