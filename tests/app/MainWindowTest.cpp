#include "app/MainWindow.h"

#include "app/RecentFiles.h"
#include "app/core/CommandLine.h"
#include "monitor/FindBar.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/StatusPanels.h"
#include "monitor/UpdateCycle.h"
#include "monitor/core/LogReader.h"
#include "settings/OptionsDialog.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"
#include "support/core/SoundOutput.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// A window with its Options dialog over a settings file of its own in the
// temporary config folder, so tests never see each other's values.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest()
        : backend("Veltaroon", QString("MarrowlightWindowTest%1").arg(++serial)),
          store(backend, "Marrowlight") {}

    MainWindow& Start(std::vector<std::string> params) {
        params.insert(params.begin(), "marrowlight");
        window = std::make_unique<MainWindow>(store, params);
        options = new OptionsDialog(store, sound, window->Cmd().SwitchPresent("-ot"), window.get());
        window->AttachOptions(*options);
        return *window;
    }

    // The first show and activation, without waiting for the platform.
    MainWindow& Run(std::vector<std::string> params) {
        Start(std::move(params));
        window->PrepareShow();
        window->HandleFirstActivation();
        return *window;
    }

    void Store(const std::string& name, const std::string& value) {
        store.WriteSetting(name, value);
    }

    static QSize Screen() { return QGuiApplication::primaryScreen()->geometry().size(); }
    std::string LogPath(const char* name) const {
        return QFile::encodeName(logs.filePath(name)).toStdString();
    }

    static inline int serial = 0;
    QSettingsBackend backend;
    SettingsStore store;
    RecordingSoundOutput sound;
    std::unique_ptr<MainWindow> window;
    OptionsDialog* options = nullptr;
    QTemporaryDir logs;
};

// What the window takes for its title bar before it is framed.
int TitleBarHeight() {
    QWidget probe;
    return probe.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &probe);
}

TEST_F(MainWindowTest, CreationRestoresThePlacementOnlyWhenAllFourValuesExist) {
    const QSize screen = Screen();
    const QRect quarter(screen.width() - screen.width() / 2, 0, screen.width() / 2,
                        screen.height() / 2);
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, std::string>> stored;
        QRect expected;
    };
    const Case cases[] = {
        {"nothing stored", {}, quarter},
        {"all stored",
         {{"Top", "60"}, {"Left", "30"}, {"Width", "500"}, {"Height", "400"}},
         QRect(30, 60, 500, 400)},
        {"width not numeric",
         {{"Top", "60"}, {"Left", "30"}, {"Width", "wide"}, {"Height", "400"}},
         QRect(30, 60, screen.width() - 100, 400)},
        {"height missing", {{"Top", "60"}, {"Left", "30"}, {"Width", "500"}}, quarter},
        {"partly past the right edge",
         {{"Top", "60"},
          {"Left", std::to_string(screen.width() - 200)},
          {"Width", "500"},
          {"Height", "400"}},
         QRect(screen.width() - 500, 60, 500, 400)},
        {"title bar above the top",
         {{"Top", "0"}, {"Left", "30"}, {"Width", "500"}, {"Height", "400"}},
         QRect(30, TitleBarHeight(), 500, 400)},
    };
    for (const Case& c : cases) {
        MainWindowTest::serial++;
        QSettingsBackend fresh("Veltaroon", QString("MarrowlightPlacement%1").arg(serial));
        SettingsStore freshStore(fresh, "Marrowlight");
        for (const auto& [side, value] : c.stored)
            freshStore.WriteSetting(std::string("VtMarrowlightFrm") + side, value);
        MainWindow frm(freshStore, {"marrowlight"});
        EXPECT_EQ(frm.geometry(), c.expected) << c.what;
    }
}

TEST_F(MainWindowTest, CloseSavesTheNormalGeometryOrAFrameInsideTheWorkAreaWhenMaximised) {
    Store("VtMarrowlightFrmTop", "40");
    Store("VtMarrowlightFrmLeft", "60");
    Store("VtMarrowlightFrmWidth", "520");
    Store("VtMarrowlightFrmHeight", "410");
    MainWindow& frm = Run({});
    frm.HandleClose();
    EXPECT_EQ(store.ReadSetting("VtMarrowlightFrmTop"), "40");
    EXPECT_EQ(store.ReadSetting("VtMarrowlightFrmLeft"), "60");
    EXPECT_EQ(store.ReadSetting("VtMarrowlightFrmWidth"), "520");
    EXPECT_EQ(store.ReadSetting("VtMarrowlightFrmHeight"), "410");

    frm.showMaximized();
    ASSERT_TRUE(frm.isMaximized());
    frm.HandleClose();
    // The stored client rectangle, with the frame the window has around it,
    // lies 5 pixels inside the work area.
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const QMargins frame(frm.geometry().left() - frm.frameGeometry().left(),
                         frm.geometry().top() - frm.frameGeometry().top(),
                         frm.frameGeometry().right() - frm.geometry().right(),
                         frm.frameGeometry().bottom() - frm.geometry().bottom());
    const QRect client(std::stoi(store.ReadSetting("VtMarrowlightFrmLeft")),
                       std::stoi(store.ReadSetting("VtMarrowlightFrmTop")),
                       std::stoi(store.ReadSetting("VtMarrowlightFrmWidth")),
                       std::stoi(store.ReadSetting("VtMarrowlightFrmHeight")));
    EXPECT_EQ(client + frame, work.adjusted(5, 5, -5, -5));
}

TEST_F(MainWindowTest, CaptionTakesTheTrimmedSuffix) {
    const std::pair<std::vector<std::string>, QString> cases[] = {
        {{}, "Veltaroon Marrowlight"},
        {{"-c: night shift "}, "Veltaroon Marrowlight [night shift]"},
        {{"-c"}, "Veltaroon Marrowlight"},
        {{"-c:   "}, "Veltaroon Marrowlight []"},
    };
    for (const auto& [params, caption] : cases)
        EXPECT_EQ(Start(params).windowTitle(), caption);
}

TEST_F(MainWindowTest, StayOnTopComesFromTheSwitchOrTheStore) {
    Store("StayOnTop", "1");
    EXPECT_TRUE(Start({}).StaysOnTop());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(Start({"-ot"}).StaysOnTop());
    Store("StayOnTop", "0");
    EXPECT_TRUE(Start({"-OT:yes"}).StaysOnTop());
}

TEST_F(MainWindowTest, MenuStatesComeFromTheStoreAsOnOffValues) {
    Store("LoadAutomaticallyMnu", "1");
    Store("AllEntriesMnu", "no");
    Store("Group1Mnu", "2");
    Store("Group2Mnu", "0");
    Store("KeepModifedLogFocused", "");
    MainWindow& frm = Run({});
    EXPECT_TRUE(frm.AutomaticModeAction->isChecked());
    EXPECT_FALSE(frm.AllEntriesAction->isChecked()) << "a value that is no number is off";
    EXPECT_TRUE(frm.Group1Action->isChecked()) << "any whole number but 0 is on";
    EXPECT_FALSE(frm.Group2Action->isChecked());
    EXPECT_TRUE(frm.Group3Action->isChecked()) << "missing gives the default";
    EXPECT_TRUE(frm.KeepModifiedLogFocusedAction->isChecked()) << "empty gives the default";
    EXPECT_EQ(frm.ViewFilterSnapshot, "0101");
}

TEST_F(MainWindowTest, SwitchesOverrideTheLiveSettings) {
    Store("LoadAutomaticallyMnu", "1");
    {
        MainWindow& frm = Run({"-a:1", "-a:0", "-g2:no", "-x", "-sn:1", "-st:1"});
        EXPECT_FALSE(frm.AutomaticModeAction->isChecked()) << "the last -a wins";
        EXPECT_FALSE(frm.Group2Action->isChecked());
        EXPECT_TRUE(frm.Group3Action->isChecked());
        EXPECT_TRUE(options->Group1KeywordsField->text().isEmpty())
            << "-x with nothing empties the edit";
        EXPECT_FALSE(options->ShowLineNumbersBox->isChecked());
        EXPECT_TRUE(options->ShowLineTimeBox->isChecked());
    }
    {
        MainWindow& frm = Run({"-a", "-d:/srv/logs;/var/log", "-i1:TRUE", "-kf:0"});
        EXPECT_TRUE(frm.AutomaticModeAction->isChecked()) << "empty -a keeps stored";
        EXPECT_EQ(options->LogFolderField->text(), "/srv/logs;/var/log");
        EXPECT_TRUE(options->MatchDateBox->isChecked());
        EXPECT_FALSE(frm.KeepModifiedLogFocusedAction->isChecked());
    }
}

TEST_F(MainWindowTest, FirstActivationOpensTheNamedLogsOnceAndStartsPolling) {
    const std::string a = logs.filePath("a.log").toStdString();
    const std::string b = logs.filePath("b.log").toStdString();
    MainWindow& frm = Run({"-f:" + a + ";" + b + ";" + a, "-h"});
    ASSERT_EQ(frm.TabWidget->count(), 2);
    EXPECT_EQ(frm.Tabs()->ActiveFileName(), a) << "a repeated path re-activates";
    EXPECT_TRUE(frm.MainMenu->actions().isEmpty());
    EXPECT_TRUE(frm.PollTimer->isActive());
    EXPECT_TRUE(frm.Activated);
    frm.HandleFirstActivation(); // later activations do nothing
    EXPECT_EQ(frm.TabWidget->count(), 2);
}

// Polling every five minutes: the rows can only come from the first pass,
// which runs at the first turn of the event loop after the activation. A
// load still under way ends with the window.
TEST_F(MainWindowTest, TheFirstPassRunsAtOnceAndClosingEndsALoad) {
    std::ofstream(LogPath("app.log")) << "one\r\ntwo\r\n";
    std::string big;
    for (int i = 0; i < 500; ++i)
        big += "line " + std::to_string(i) + "\r\n";
    std::ofstream(LogPath("big.log")) << big;
    MainWindow& frm = Start({"-f:" + LogPath("app.log") + ";" + LogPath("big.log")});
    options->UpdateForcedButton->setChecked(true);
    options->UpdateEachList->setCurrentIndex(6);
    frm.Cycle()->Reader().SetBlockSize(64);
    frm.Cycle()->Reader().SetSliceBudget(std::chrono::nanoseconds(0));
    frm.PrepareShow();
    frm.HandleFirstActivation();
    ASSERT_EQ(frm.PollTimer->interval(), 300000);
    for (int turn = 0; turn < 100 && !frm.FirstCycle; ++turn)
        QApplication::processEvents();
    EXPECT_TRUE(frm.FirstCycle);
    EXPECT_EQ(frm.Tabs()->Tab(0)->Model().rowCount(), 2);
    EXPECT_GT(frm.Tabs()->Tab(1)->Model().rowCount(), 0);
    ASSERT_TRUE(frm.Cycle()->Loading()) << "a turn of the event loop reads one slice";
    frm.close();
    EXPECT_FALSE(frm.Cycle()->Loading());
}

TEST_F(MainWindowTest, SingleExistingFileIsOpenedWithoutApplyingSwitches) {
    QFile file(logs.filePath("-g1:0"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString before = QDir::currentPath();
    QDir::setCurrent(logs.path());
    MainWindow& frm = Run({"-g1:0"});
    QDir::setCurrent(before);
    EXPECT_EQ(frm.TabWidget->count(), 1);
    EXPECT_TRUE(frm.Group1Action->isChecked());
}

TEST_F(MainWindowTest, PathsThatAreNotUtf8StayBytesFromTheCommandLineToTheStore) {
    const std::string path = QFile::encodeName(logs.path()).toStdString() + "/caf\xE9.log";
    std::ofstream(path) << "line\n";
    // QTemporaryDir removes by decoded names, which miss this one.
    struct Remove {
        std::string path;
        ~Remove() { std::remove(path.c_str()); }
    } remove{path};
    {
        MainWindow& frm = Run({path});
        ASSERT_EQ(frm.TabWidget->count(), 1) << "a single existing file is opened";
        EXPECT_EQ(frm.Tabs()->ActiveFileName(), path);
    }
    MainWindow& frm = Run({"-f:" + path});
    ASSERT_EQ(frm.TabWidget->count(), 1);
    EXPECT_EQ(frm.Tabs()->ActiveFileName(), path);
    frm.FileHistory().AddFile(path);
    frm.CloseHandling();
    EXPECT_EQ(store.ReadSetting("LastFocusedFile"), path);
    EXPECT_EQ(RecentFiles(store).Entries(), std::vector<std::string>{path});
}

TEST_F(MainWindowTest, CloseWritesTheSixStatesAndTheActiveLog) {
    MainWindow& frm = Run({});
    frm.AutomaticModeAction->setChecked(true);
    frm.AllEntriesAction->setChecked(false);
    frm.Group2Action->setChecked(false);
    frm.Tabs()->OpenLog(LogPath("first.log"));
    frm.Tabs()->OpenLog(LogPath("second.log"));
    frm.HandleClose();
    const std::pair<const char*, std::string> expected[] = {
        {"LoadAutomaticallyMnu", "1"},
        {"AllEntriesMnu", "0"},
        {"Group1Mnu", "1"},
        {"Group2Mnu", "0"},
        {"Group3Mnu", "1"},
        {"KeepModifedLogFocused", "1"},
        {"LastFocusedFile", logs.filePath("second.log").toStdString()},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(store.ReadSetting(name), value) << name;

    frm.CloseAllLogsFromMenu();
    EXPECT_EQ(frm.TabWidget->count(), 0);
    frm.HandleClose();
    EXPECT_TRUE(store.SettingExists("LastFocusedFile"));
    EXPECT_EQ(store.ReadSetting("LastFocusedFile"), "");
}

// Writes fail for one name, as an unwritable store would.
class FailingBackend : public MemorySettingsBackend {
  public:
    std::unique_ptr<SettingsKey> OpenSettingsKey() override {
        struct FailingKey : SettingsKey {
            FailingBackend& owner;
            std::unique_ptr<SettingsKey> inner;
            FailingKey(FailingBackend& o, std::unique_ptr<SettingsKey> i)
                : owner(o), inner(std::move(i)) {}
            bool Exists(const std::string& n) const override { return inner->Exists(n); }
            std::string Read(const std::string& n) const override { return inner->Read(n); }
            void Write(const std::string& n, const std::string& v) override {
                if (n == owner.failing)
                    throw SettingsError("Failed to set data for '" + n + "'");
                inner->Write(n, v);
            }
        };
        return std::make_unique<FailingKey>(*this, MemorySettingsBackend::OpenSettingsKey());
    }
    std::string failing;
};

TEST_F(MainWindowTest, CloseKeepsSavingPastAFailedValueAndReportsIt) {
    FailingBackend failing;
    failing.failing = "Marrowlight.AllEntriesMnu";
    SettingsStore failingStore(failing, "Marrowlight");
    MainWindow frm(failingStore, {"marrowlight"});
    try {
        frm.HandleClose();
        FAIL() << "the failure must not pass silently";
    } catch (const SettingsError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Marrowlight.AllEntriesMnu'");
    }
    EXPECT_EQ(failing.values.count("Marrowlight.KeepModifedLogFocused"), 1u);
    EXPECT_EQ(failing.values.count("Marrowlight.VtMarrowlightFrmHeight"), 1u);
}

TEST_F(MainWindowTest, SignalCloseReportsAFailedSaveOnStandardErrorAndFailsTheExitCode) {
    FailingBackend failing;
    failing.failing = "Marrowlight.LastFocusedFile";
    SettingsStore failingStore(failing, "Marrowlight");
    {
        MainWindow frm(failingStore, {"marrowlight"});
        frm.show();
        testing::internal::CaptureStderr();
        const int code = frm.CloseForSignal(); // would throw into a message box otherwise
        const std::string reported = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1);
        EXPECT_EQ(reported, "Marrowlight: Failed to set data for 'Marrowlight.LastFocusedFile'\n");
        EXPECT_FALSE(frm.isVisible());
        EXPECT_EQ(failing.values.count("Marrowlight.VtMarrowlightFrmTop"), 1u)
            << "the other values are still saved";
    }
    {
        MainWindow frm(failingStore, {"marrowlight"});
        EXPECT_THROW(frm.CloseHandling(), SettingsError) << "Exit still reports it in a box";
    }
    MainWindow& frm = Run({});
    testing::internal::CaptureStderr();
    EXPECT_EQ(frm.CloseForSignal(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(store.ReadSetting("Group1Mnu"), "1");
}

TEST_F(MainWindowTest, DamagedStoredValuesDoNotStopTheStart) {
    MemorySettingsBackend damaged;
    damaged.unreadable = {"Marrowlight.StayOnTop", "Marrowlight.VtMarrowlightFrmTop",
                          "Marrowlight.Group1Mnu"};
    damaged.values = {{"Marrowlight.VtMarrowlightFrmLeft", "1"},
                      {"Marrowlight.VtMarrowlightFrmWidth", "300"},
                      {"Marrowlight.VtMarrowlightFrmHeight", "300"}};
    SettingsStore damagedStore(damaged, "Marrowlight");
    MainWindow frm(damagedStore, {"marrowlight"});
    frm.PrepareShow();
    EXPECT_FALSE(frm.StaysOnTop());
    EXPECT_TRUE(frm.Group1Action->isChecked());
    EXPECT_EQ(frm.width(), Screen().width() / 2) << "an unreadable value counts as missing";
}

TEST_F(MainWindowTest, ShownWindowRunsItsFirstActivationAndLaysOutTheStatusBar) {
    MainWindow& frm = Start({"-f:" + logs.filePath("a.log").toStdString()});
    frm.show();
    for (int i = 0; i < 50 && !frm.Activated; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(frm.Activated);
    EXPECT_EQ(frm.TabWidget->count(), 1);
    EXPECT_EQ(frm.TabWidget->tabPosition(), QTabWidget::South);

    const std::tuple<int, int, const char*> panels[] = {
        {0, 105, "Last read: 23:59:59"}, {1, 80, "Lines: 1234567"}, {2, 102, "Displayed: 1234567"}};
    for (const auto& [index, designWidth, text] : panels) {
        QLabel* panel = frm.StatusPanels[index];
        EXPECT_GE(panel->width(), designWidth) << index;
        EXPECT_EQ(panel->minimumWidth(), panel->maximumWidth()) << index;
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(text), panel->contentsRect().width())
            << index;
    }
    EXPECT_GT(frm.StatusPanels[3]->width(), 0);
    frm.hide();
}

TEST_F(MainWindowTest, ALongStateIsElidedAndNeverWidensTheWindow) {
    MainWindow& frm = Start({});
    frm.resize(500, 300);
    frm.show();
    // The first pass, which runs at once, shows the texts of no log.
    for (int turn = 0; turn < 1000 && !frm.FirstCycle; ++turn)
        QApplication::processEvents();
    const int minimum = frm.minimumSizeHint().width();
    const QSize size = frm.size();
    StatusBarPanels panels(frm.StatusPanels, frm.StatusBar);
    const QString state = "File not found: /var/log/" + QString(200, 'x') + ".log";
    panels.ShowAll("Last read: 10:00:00", "Lines: 3", "Displayed: 3", state);
    QApplication::processEvents();

    EXPECT_EQ(frm.minimumSizeHint().width(), minimum);
    EXPECT_EQ(frm.size(), size);
    QLabel* last = frm.StatusPanels[3];
    EXPECT_TRUE(last->text() == state) << "the panel keeps the whole text";
    EXPECT_TRUE(last->toolTip() == state);
    EXPECT_GT(last->geometry().right(), frm.StatusPanels[2]->geometry().right() + 100)
        << "the last panel takes the rest of the bar";

    panels.Show(3, "Missing");
    EXPECT_EQ(last->toolTip().toStdString(), "") << "a text that fits needs no tooltip";
    frm.resize(frm.minimumSizeHint().width(), 300);
    QApplication::processEvents();
    EXPECT_EQ(last->toolTip().toStdString(), "Missing") << "cut by a narrower window";
    frm.hide();
}

std::string AccessibleName(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name).toStdString() : "(none)";
}

TEST_F(MainWindowTest, ScreenReadersHearWhatIsShownNeverAnObjectName) {
    MainWindow& frm = Run({});
    StatusBarPanels panels(frm.StatusPanels, frm.StatusBar);
    const char* const texts[] = {"Last read: 10:00:00", "Lines: 3", "Displayed: 2",
                                 "Reading... 40%"};
    panels.ShowAll(texts[0], texts[1], texts[2], texts[3]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(AccessibleName(frm.StatusPanels[i]), texts[i]) << i;

    for (QWidget* widget : frm.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty()) {
            EXPECT_NE(AccessibleName(widget), widget->objectName().toStdString());
        }
    }
    EXPECT_EQ(AccessibleName(frm.TabWidget), "Logs");
}

TEST_F(MainWindowTest, HowASearchEndedShowsInTheStatusBar) {
    MainWindow& frm = Run({});
    { std::ofstream(LogPath("app.log")) << "one\r\ntwo\r\n"; }
    frm.Tabs()->OpenLog(LogPath("app.log"));
    frm.Cycle()->Pass();
    LogTab& tab = *frm.Tabs()->ActiveTab();
    tab.FindAction->trigger();
    tab.Finder().FindField->setText("three");
    tab.Finder().Find(SearchDirection::Newer);
    EXPECT_EQ(frm.StatusBar->currentMessage(), "Not found");
}

TEST_F(MainWindowTest, PollingIntervalIsReadFromTheOptions) {
    MainWindow& frm = Run({});
    EXPECT_EQ(frm.PollTimer->interval(), 500);
    options->UpdateForcedButton->setChecked(true);
    options->UpdateEachList->setCurrentIndex(4);
    frm.SetPollingInterval();
    EXPECT_EQ(frm.PollTimer->interval(), 30000);
}

// Answers the Options dialog and any message box shown after it.
struct ModalAnswerer {
    std::function<void(OptionsDialog&)> beforeClose;
    bool accept = true;
    QStringList messages;
    QTimer timer;

    explicit ModalAnswerer(OptionsDialog& options) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this, &options] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages << box->windowTitle() + "|" + box->text();
                box->done(QMessageBox::Ok);
            } else if (modal == &options && options.isVisible()) {
                if (beforeClose)
                    beforeClose(options);
                beforeClose = nullptr;
                accept ? options.accept() : options.reject();
            }
        });
        timer.start();
    }
};

// Opens the Options dialog, changes it with `edit` and closes it with Ok or Cancel.
void RunOptions(MainWindow& frm, OptionsDialog& options, bool accept,
                std::function<void(OptionsDialog&)> edit) {
    ModalAnswerer answer(options);
    answer.accept = accept;
    answer.beforeClose = std::move(edit);
    frm.ShowOptionsDialog();
    EXPECT_TRUE(frm.PollTimer->isActive());
    EXPECT_TRUE(answer.messages.isEmpty()) << answer.messages.join('\n').toStdString();
}

TEST_F(MainWindowTest, CancelledOptionsLeaveEveryValueAsItWas) {
    MainWindow& frm = Run({"-x:ERR", "-sn:1", "-a:1", "-g1:0"});
    auto scribble = [](OptionsDialog& o) {
        o.Group1KeywordsField->setText("typed");
        o.ShowLineNumbersBox->setChecked(false);
    };
    RunOptions(frm, *options, false, scribble);
    EXPECT_EQ(options->Group1KeywordsField->text(), "ERR");
    EXPECT_TRUE(options->ShowLineNumbersBox->isChecked());
    EXPECT_TRUE(frm.AutomaticModeAction->isChecked());
    EXPECT_FALSE(frm.Group1Action->isChecked());

    // The user's own changes since start-up must not give way to the switches.
    frm.AutomaticModeAction->setChecked(false);
    frm.Group1Action->setChecked(true);
    RunOptions(frm, *options, true,
               [](OptionsDialog& o) { o.Group1KeywordsField->setText("FOO"); });
    RunOptions(frm, *options, false, scribble);
    EXPECT_EQ(options->Group1KeywordsField->text(), "FOO");
    EXPECT_TRUE(options->ShowLineNumbersBox->isChecked());
    EXPECT_FALSE(frm.AutomaticModeAction->isChecked());
    EXPECT_TRUE(frm.Group1Action->isChecked());
}

TEST_F(MainWindowTest, ConfirmedOptionsStoreGroupNamesAndNoteTheStayOnTopChange) {
    MainWindow& frm = Run({});
    frm.Tabs()->OpenLog(LogPath("a.log"));
    ModalAnswerer answer(*options);
    answer.beforeClose = [](OptionsDialog& o) {
        o.Group2NameField->setText("Alerts");
        o.StayOnTopBox->setChecked(!o.StayOnTopBox->isChecked());
        o.UpdateForcedButton->setChecked(true);
        o.UpdateEachList->setCurrentIndex(2);
    };
    frm.ShowOptionsDialog();
    EXPECT_EQ(store.ReadSetting("Group2Caption"), "Alerts");
    EXPECT_EQ(frm.PollTimer->interval(), 5000);
    EXPECT_TRUE(frm.PollTimer->isActive());
    ASSERT_EQ(answer.messages.size(), 1);
    EXPECT_EQ(answer.messages[0], "Marrowlight|" + StayOnTopMessage(true));
    EXPECT_EQ(frm.TabWidget->count(), 1) << "no automatic-opening change, the tab stays";
}

TEST_F(MainWindowTest, ChangedWatchedFoldersCloseEveryLog) {
    MainWindow& frm = Run({});
    frm.Tabs()->OpenLog(LogPath("a.log"));
    frm.Tabs()->OpenLog(LogPath("b.log"));
    ModalAnswerer answer(*options);
    answer.beforeClose = [](OptionsDialog& o) { o.AutoOpenChanged = true; };
    frm.ShowOptionsDialog();
    EXPECT_EQ(frm.TabWidget->count(), 0);
}

TEST(MainWindow, AcceptedOptionsApplyEvenWhenStoringThemFails) {
    MemorySettingsBackend backend;
    SettingsStore store(backend, "Marrowlight");
    RecordingSoundOutput sound;
    QTemporaryDir logs;
    MainWindow frm(store, {"marrowlight"});
    auto* options = new OptionsDialog(store, sound, false, &frm);
    frm.AttachOptions(*options);
    frm.PrepareShow();
    frm.HandleFirstActivation();
    frm.Tabs()->OpenLog(QFile::encodeName(logs.filePath("a.log")).toStdString());

    backend.readOnly = true;
    ModalAnswerer answer(*options);
    answer.beforeClose = [](OptionsDialog& o) {
        o.StayOnTopBox->setChecked(!o.StayOnTopBox->isChecked());
        o.UpdateForcedButton->setChecked(true);
        o.UpdateEachList->setCurrentIndex(3);
        o.AutoOpenChanged = true;
    };
    std::string reported;
    try {
        frm.ShowOptionsDialog();
    } catch (const SettingsError& error) {
        reported = error.what();
    }
    ASSERT_TRUE(options->SaveError.has_value());
    EXPECT_EQ(reported, *options->SaveError);
    EXPECT_EQ(frm.TabWidget->count(), 0) << "the folder change closed the logs";
    EXPECT_EQ(frm.PollTimer->interval(), 10000);
    EXPECT_TRUE(frm.PollTimer->isActive());
    EXPECT_EQ(answer.messages.size(), 1) << "the stay-on-top note comes before the failure";
}

} // namespace
} // namespace marrowlight
