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
#include <gtest/gtest.h>
#include <string>
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

TEST(ProducerPump, AProducersSlicesArriveAsRowsWithItsState) {
    struct Case {
        const char* what;
        std::vector<Slice> slices;
        bool follows;
        QStringList rows;
        std::string state;
        bool records; // the rows after the first pass came as new lines
    } cases[] = {
        {"followed, in slices",
         {{"one\ntwo\n", More, ""}, {"Error three\n", More, ""}, {"four", Finished, "Ended."}},
         true,
         {"one", "two", "Error three", "four"},
         "Ended.",
         true},
        {"unpacked whole",
         {{"one\n", More, "Unpacking."},
          {"Error two\nthree\n", More, "Unpacking."},
          {"", Finished, "Unpacked."}},
         false,
         {"one", "Error two", "three"},
         "Unpacked.",
         false},
        {"waiting without a descriptor, asked again by polling",
         {{"one\n", Waiting, ""}, {"two\n", Waiting, ""}, {"", Finished, "Gone."}},
         true,
         {"one", "two"},
         "Gone.",
         true},
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
        const LineIndex& lines = tab->Model().Lines();
        EXPECT_EQ(lines.Record(lines.size() - 1) != nullptr, c.records) << c.what;
        EXPECT_EQ(tab->Image == MenuImageIndex::NewLines, c.records) << c.what;
        if (!c.records) {
            EXPECT_TRUE(rig.sound.played.empty()) << c.what;
        }
    }
}

TEST(ProducerPump, TheProducerAndItsSpoolEndWithTheTab) {
    PumpRig rig;
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

} // namespace
} // namespace marrowlight
