#include "monitor/core/StreamProducer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace marrowlight {
namespace {

struct StringSink : TextSink {
    bool Append(std::string_view bytes) override {
        if (text.size() + bytes.size() > limit)
            return false;
        text.append(bytes);
        return true;
    }
    uint64_t Size() const override { return text.size(); }
    std::string text;
    size_t limit = SIZE_MAX;
};

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0); }
    ~Pipe() {
        CloseWriter();
        ::close(fds[0]);
    }
    void Write(const std::string& bytes) const {
        ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void CloseWriter() {
        if (fds[1] >= 0)
            ::close(fds[1]);
        fds[1] = -1;
    }
    int fds[2] = {-1, -1};
};

TEST(StreamProducer, TakesWhatArrivesWithoutEverWaitingForMore) {
    const auto later = std::chrono::steady_clock::now() + std::chrono::hours(1);
    const std::string binary("\x00\x01\xff\xfe\n\x1b[31m\x00", 10);
    struct Step {
        const char* what;
        std::string write; // then the writer closes when `close`
        bool close;
        ProduceStatus status;
        std::string text;
        std::string state;
    } steps[] = {
        {"silent", "", false, ProduceStatus::Waiting, "", ""},
        {"half a line", "one\ntw", false, ProduceStatus::Waiting, "one\ntw", ""},
        {"silent again", "", false, ProduceStatus::Waiting, "one\ntw", ""},
        {"binary", "o\n" + binary, false, ProduceStatus::Waiting, "one\ntwo\n" + binary, ""},
        {"the end", "last", true, ProduceStatus::Finished, "one\ntwo\n" + binary + "last",
         "Input ended."},
        {"after the end", "", false, ProduceStatus::Finished, "one\ntwo\n" + binary + "last",
         "Input ended."},
    };
    Pipe pipe;
    StreamProducer producer(pipe.fds[0]);
    EXPECT_EQ(producer.WakeDescriptor(), pipe.fds[0]);
    StringSink sink;
    for (const Step& step : steps) {
        if (!step.write.empty())
            pipe.Write(step.write);
        if (step.close)
            pipe.CloseWriter();
        EXPECT_EQ(producer.Produce(sink, later), step.status) << step.what;
        EXPECT_EQ(sink.text, step.text) << step.what;
        EXPECT_EQ(producer.StateText(), step.state) << step.what;
    }
    EXPECT_EQ(producer.WakeDescriptor(), -1);
}

TEST(StreamProducer, ASliceEndsAtItsDeadlineAndAFullSpoolEndsTheInput) {
    Pipe pipe;
    pipe.Write(std::string(50000, 'x') + "\n");
    StreamProducer slices(pipe.fds[0]);
    StringSink sink;
    // A deadline gone by: one read, then the turn is over.
    EXPECT_EQ(slices.Produce(sink, std::chrono::steady_clock::now()), ProduceStatus::More);
    EXPECT_EQ(sink.text.size(), 50001u);

    pipe.Write("one\ntwo\nthree\n");
    StreamProducer full(pipe.fds[0]);
    StringSink small;
    small.limit = 4;
    EXPECT_EQ(full.Produce(small, std::chrono::steady_clock::now()), ProduceStatus::Finished);
    EXPECT_EQ(full.StateText(), "Stopped after 0 lines: no room for more in the temporary folder.");
}

} // namespace
} // namespace marrowlight
