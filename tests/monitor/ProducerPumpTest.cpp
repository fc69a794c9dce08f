#include "monitor/ProducerPump.h"

#include "RunEventsUntil.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "monitor/UpdateCycle.h"
#include "monitor/core/LineProducer.h"
#include "monitor/core/ProducedSources.h"

#include <QComboBox>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace marrowlight {
namespace {

// Hands out one scripted slice a call.
struct ScriptedProducer : LineProducer {
    struct Slice {
        std::string text;
        ProduceStatus status;
        std::string state;
    };
    ScriptedProducer(std::vector<Slice> slices, bool follows, int* calls, bool* gone)
        : slices_(std::move(slices)), follows_(follows), calls_(calls), gone_(gone) {}
    ~ScriptedProducer() override {
        if (gone_)
            *gone_ = true;
    }
    ProduceStatus Produce(TextSink& out, std::chrono::steady_clock::time_point) override {
        const Slice& slice = slices_.at(next_++);
        ++*calls_;
        out.Append(slice.text);
        state_ = slice.state;
        return slice.status;
    }
    std::string StateText() const override { return state_; }
    bool Follows() const override { return follows_; }

    std::vector<Slice> slices_;
    bool follows_;
    int* calls_;
    bool* gone_;
    size_t next_ = 0;
    std::string state_;
};

struct PumpRig : testing::TabsRig {
    PumpRig() { timer.setInterval(60'000); }
    QStringList Texts(const LogTab& tab) const {
        QStringList texts;
        for (int row = 0; row < tab.Model().rowCount(); ++row)
            texts << tab.Model().Text(row);
        return texts;
    }
    QMainWindow window;
    QTimer timer;
    bool firstCycle = false;
    UpdateCycle cycle{*tabs, window, timer, firstCycle};
};

using Slice = ScriptedProducer::Slice;
constexpr auto More = ProduceStatus::More;
constexpr auto Waiting = ProduceStatus::Waiting;
constexpr auto Finished = ProduceStatus::Finished;

std::vector<Slice> ManySlices() {
    std::vector<Slice> slices;
    for (int i = 0; i < 40; ++i)
        slices.push_back({"line " + std::to_string(i) + "\n", More, "Unpacking."});
    slices.push_back({"", Finished, "Unpacked."});
    return slices;
}

QStringList ManyRows() {
    QStringList rows;
    for (int i = 0; i < 40; ++i)
        rows << QStringLiteral("line %1").arg(i);
    return rows;
}

TEST(ProducerPump, AProducersSlicesArriveAsRowsWithItsState) {
    struct Case {
        const char* what;
        std::vector<Slice> slices;
        bool follows;
        QStringList rows;
        std::string state;
    } cases[] = {
        {"followed, in slices",
         {{"one\ntwo\n", More, ""}, {"Error three\n", More, ""}, {"four", Finished, "Ended."}},
         true,
         {"one", "two", "Error three", "four"},
         "Ended."},
        {"unpacked whole",
         {{"one\n", More, "Unpacking."},
          {"Error two\nthree\n", More, "Unpacking."},
          {"", Finished, "Unpacked."}},
         false,
         {"one", "Error two", "three"},
         "Unpacked."},
        // Passes are asked for less often than slices come: none is lost.
        {"unpacked in many slices", ManySlices(), false, ManyRows(), "Unpacked."},
        {"waiting without a descriptor, asked again by polling",
         {{"one\n", Waiting, ""}, {"two\n", Waiting, ""}, {"", Finished, "Gone."}},
         true,
         {"one", "two"},
         "Gone."},
    };
    for (const Case& c : cases) {
        PumpRig rig;
        rig.options.Group3SoundList->setCurrentIndex(4);
        rig.cycle.Pass(); // polling runs, as in the window
        int calls = 0;
        LogTab* tab = rig.tabs->OpenProducedLog(
            "fake:one", std::make_unique<ScriptedProducer>(c.slices, c.follows, &calls, nullptr),
            QStringLiteral("A fake"));
        ASSERT_NE(tab, nullptr) << c.what;
        EXPECT_EQ(rig.ActiveName(), "A fake") << c.what;
        const int slices = static_cast<int>(c.slices.size());
        EXPECT_TRUE(RunEventsUntil([&] {
            if (calls < slices && calls > 0 && c.slices[calls - 1].status == Waiting)
                rig.cycle.Pass();
            return calls == slices && rig.Texts(*tab) == c.rows &&
                   rig.panels[3]->text().toStdString() == c.state;
        })) << c.what
            << ": " << rig.Texts(*tab).join('|').toStdString() << " / "
            << rig.panels[3]->text().toStdString();
        EXPECT_TRUE(tab->Pump->Finished()) << c.what;
        // However many passes brought them, an archive's lines are no new lines.
        if (!c.follows) {
            const LineIndex& lines = tab->Model().Lines();
            EXPECT_EQ(lines.Record(lines.size() - 1), nullptr) << c.what;
            EXPECT_NE(tab->Image, MenuImageIndex::NewLines) << c.what;
            EXPECT_TRUE(rig.sound.played.empty()) << c.what;
        }
    }
}

TEST(ProducerPump, TheProducerAndItsSpoolEndWithTheTab) {
    PumpRig rig;
    rig.cycle.Pass();
    int calls = 0;
    bool gone = false;
    LogTab* tab = rig.tabs->OpenProducedLog(
        "fake:two",
        std::make_unique<ScriptedProducer>(
            std::vector<Slice>{{"one\n", More, ""}, {"", Waiting, ""}}, true, &calls, &gone),
        QStringLiteral("Two & more"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(rig.ActiveName(), "Two && more");
    // The same address again activates the tab and drops the new producer.
    bool secondGone = false;
    EXPECT_EQ(rig.tabs->OpenProducedLog("fake:two",
                                        std::make_unique<ScriptedProducer>(
                                            std::vector<Slice>{}, true, &calls, &secondGone),
                                        QStringLiteral("Again")),
              tab);
    EXPECT_TRUE(secondGone);
    EXPECT_EQ(rig.tabs->Count(), 1);
    ASSERT_TRUE(RunEventsUntil([&] { return rig.Texts(*tab) == QStringList{"one"}; }));
    ASSERT_NE(rig.tabs->Produced().Find("fake:two"), nullptr);

    rig.tabs->CloseLog(tab);
    EXPECT_TRUE(gone);
    EXPECT_EQ(rig.tabs->Produced().Find("fake:two"), nullptr);
}

// A pipe as the standard input: rows come as lines do, with pauses between
// them, the tab stays when the input ends, and it is never stored.
TEST(ProducerPump, TheStandardInputIsFollowedUntilItEnds) {
    PumpRig rig;
    rig.cycle.Pass();
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    LogTab* tab = rig.tabs->OpenStandardInput(fds[0]);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(rig.ActiveName(), "standard input");
    EXPECT_EQ(rig.tabs->ActiveFileName(), "");
    EXPECT_FALSE(tab->Reopenable);
    const auto write = [&](const std::string& bytes) {
        ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    };
    struct Step {
        std::string write;
        QStringList rows;
    } steps[] = {
        {"one\n", {"one"}},
        {"two\nthr", {"one", "two"}},
        {"ee\n", {"one", "two", "three"}},
    };
    for (const Step& step : steps) {
        write(step.write);
        EXPECT_TRUE(RunEventsUntil([&] { return rig.Texts(*tab) == step.rows; }))
            << rig.Texts(*tab).join('|').toStdString();
        EXPECT_FALSE(tab->Pump->Finished());
    }
    // Lines after the first ones are new lines, with their arrival.
    EXPECT_NE(tab->Model().Lines().Record(2), nullptr);
    write("last");
    ::close(fds[1]);
    EXPECT_TRUE(RunEventsUntil([&] {
        return rig.Texts(*tab) == QStringList{"one", "two", "three", "last"} &&
               rig.panels[3]->text() == "Input ended.";
    }));
    EXPECT_EQ(rig.tabs->Count(), 1);
    ::close(fds[0]);
}

} // namespace
} // namespace marrowlight
