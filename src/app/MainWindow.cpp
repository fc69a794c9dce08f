#include "app/MainWindow.h"

#include "app/FileDrop.h"
#include "app/JournalDialog.h"
#include "app/LogTabMenu.h"
#include "app/Notifier.h"
#include "app/RecentFiles.h"
#include "app/Session.h"
#include "app/SwitchOverrides.h"
#include "app/Tray.h"
#include "app/UnseenCounts.h"
#include "app/core/CommandLine.h"
#include "app/core/StartupPlan.h"
#include "app/core/WindowPlacement.h"
#include "autoopen/AutoOpenClose.h"
#include "monitor/FilterPane.h"
#include "monitor/GoToLine.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabWidget.h"
#include "monitor/LogTabs.h"
#include "monitor/StatusPanels.h"
#include "monitor/UpdateCycle.h"
#include "monitor/core/LineClassifier.h"
#include "monitor/core/StreamProducer.h"
#include "settings/OpenFileDialog.h"
#include "settings/OptionsDialog.h"
#include "settings/core/OnOffValue.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/StoredNames.h"
#include "settings/core/UpdateIntervals.h"
#include "support/HelpLauncher.h"
#include "support/core/Clock.h"
#include "support/core/PathUtils.h"

#include <QAction>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace marrowlight {

namespace {

constexpr int DesignWidth = 696;
constexpr int DesignHeight = 494;

// "*.*" would hide the many Linux logs without a dot, such as syslog.
const QStringList LogFileFilters = {"Log files (*.log)", "Text files (*.txt)", "CSV files (*.csv)",
                                    "All files (*)"};

struct MenuState {
    const char* valueName;
    QAction* MainMenuItems::*item;
    bool byDefault;
};

// In the order they are loaded and saved.
const MenuState MenuStates[] = {
    {stored::LoadAutomaticallyAction, &MainMenuItems::AutomaticModeAction, false},
    {stored::AllEntriesAction, &MainMenuItems::AllEntriesAction, true},
    {stored::Group1Action, &MainMenuItems::Group1Action, true},
    {stored::Group2Action, &MainMenuItems::Group2Action, true},
    {stored::Group3Action, &MainMenuItems::Group3Action, true},
    {stored::KeepModifiedLogFocused, &MainMenuItems::KeepModifiedLogFocusedAction, true},
    {stored::WrapLongLinesAction, &MainMenuItems::WrapLongLinesAction, false},
    {stored::MuteAlertsAction, &MainMenuItems::MuteAlertsAction, false},
    {stored::TerminalColoursAction, &MainMenuItems::TerminalColoursAction, true},
};

WindowRect ToWindowRect(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}
QRect ToQRect(const WindowRect& r) {
    return {r.left, r.top, r.width, r.height};
}

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(DesignWidth * 2, DesignHeight * 2);
}

// The design widths fit a small 8-point font; with today's larger defaults
// "Last read: hh:mm:ss" would lose its seconds, so a panel grows to its
// longest usual text. A panel is read aloud as its text.
QLabel* MakePanel(QStatusBar* bar, const char* name, int width, const char* longestText) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(name);
    const int needed = panel->fontMetrics().horizontalAdvance(longestText) + 2 * panel->margin() +
                       2 * panel->frameWidth() + 6;
    panel->setFixedWidth(std::max(width, needed));
    // Fixed both ways, a new text repaints the panel alone, not the whole
    // bar laid out again: following a log changes the counts with every line.
    panel->setFixedHeight(panel->sizeHint().height());
    bar->addWidget(panel);
    return panel;
}

// The state panel takes the rest of the bar.
QLabel* MakeLastPanel(QStatusBar* bar, const char* name) {
    auto* panel = new ElidingStatusPanel(bar);
    panel->setObjectName(name);
    bar->addWidget(panel, 1);
    return panel;
}

} // namespace

MainWindow::MainWindow(SettingsStore& store, std::vector<std::string> args, QWidget* parent)
    : QMainWindow(parent), Store(store), cmd_(std::make_unique<CommandLine>(std::move(args))) {
    setObjectName("VtMarrowlightFrm");
    setWindowTitle("Veltaroon Marrowlight");
    resize(DesignWidth, DesignHeight);
    CreateControls();
    BuildMainMenu(*this, *this);
    ConnectHandlers();

    ViewFilterSnapshot = "    ";
    history_ = std::make_unique<RecentFiles>(Store);
    // Right before their separator, however many commands come first.
    history_->AttachToMenu(FileMenu, int(FileMenu->actions().indexOf(RecentFilesEnd)),
                           [this](QAction* item) { OpenRecentFile(item); });
    FileDrop = new FileDropTarget(
        *this, [this] { return menuChecks_.OpenCloseLogsAutomatically(); },
        [this](const std::string& path) { OpenLogByHand(path); },
        [this](const QString& text) { ShowStatusMessage(text); });
    PollTimer->stop();
    FirstCycle = false;
    ChooseStayOnTop();
    Activated = false;
    help_ = std::make_unique<HelpLauncher>(
        QString::fromStdString(ProgramBaseName(cmd_->ProgramPath()) + ".qch"));
    ShowHelpTopic = [this](const QString& topic) { help_->ShowTopic(topic); };
    PlaceInTopRightQuarter();
    RestoreWindowPlacement();
    setWindowTitle(QString::fromStdString(CaptionWithSuffix(windowTitle().toStdString(), *cmd_)));
    setAccessibleName(windowTitle());
    WindowActive = [this] { return isVisible() && !isMinimized() && isActiveWindow(); };
    LogExists = IsRegularFile;
    clock_ = std::make_unique<SystemClock>();
}

MainWindow::~MainWindow() {
    // Closing ran SaveRecentFiles and reported a failure; a window that was never
    // closed has nobody left to tell.
    if (!destroyed_) {
        try {
            SaveRecentFiles();
        } catch (const SettingsError&) {
        }
    }
    // The cycle, the tab menu, the automatic opening and the alerts refer
    // to the tabs; drop them first.
    DropTabUsers();
    tabs_.reset();
}

const CommandLine& MainWindow::Cmd() const {
    return *cmd_;
}

void MainWindow::CreateControls() {
    TabWidget = new LogTabWidget(this);
    TabWidget->setObjectName("PageControl");
    TabWidget->setAccessibleName("Logs");
    TabWidget->setTabPosition(QTabWidget::South);
    // Qt has no multi-row tab bar; scroll buttons reach the tabs that don't fit.
    TabWidget->setUsesScrollButtons(true);
    TabWidget->tabBar()->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(TabWidget);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    setStatusBar(StatusBar);
    StatusPanels = {MakePanel(StatusBar, "StatusPanel0", 105, "Last read: 00:00:00"),
                    MakePanel(StatusBar, "StatusPanel1", 80, "Lines: 0000000"),
                    MakePanel(StatusBar, "StatusPanel2", 102, "Displayed: 0000000"),
                    MakeLastPanel(StatusBar, "StatusPanel3")};

    PollTimer = new QTimer(this);
    PollTimer->setObjectName("UpdateListsTmr");
    PollTimer->setInterval(TimeStampPollInterval);
    ViewChangeTimer = new QTimer(this);
    ViewChangeTimer->setObjectName("ChangeDelayTmr");
    ViewChangeTimer->setInterval(1000);
    ViewChangeTimer->setSingleShot(true);
    // A coarse timer may round the expiry, so a re-arming could fire no later.
    ViewChangeTimer->setTimerType(Qt::PreciseTimer);
    ViewChangeTimer->start();

    OpenLogDialog = new OpenFileDialog(this);
    OpenLogDialog->setObjectName("OpenLogDlg");
    OpenLogDialog->title = "Open Log";
    OpenLogDialog->nameFilters = LogFileFilters;
    OpenLogDialog->defaultExtension = "log";
    // A log that is not there yet can be followed until it appears.
    OpenLogDialog->fileMustExist = false;
    RunOpenLogDialog = [this](OpenFileDialog& dialog) { return dialog.Execute(this); };
    OpenJournalDialog = new JournalDialog(this);
    ShowModal = [](QDialog& dialog) { return dialog.exec(); };
}

void MainWindow::ConnectHandlers() {
    connect(PollTimer, &QTimer::timeout, this, &MainWindow::PollLogs);
    connect(ViewChangeTimer, &QTimer::timeout, this, &MainWindow::ApplyViewChange);
    connect(FileMenu, &QMenu::aboutToShow, this, &MainWindow::UpdateFileMenu);
    connect(OpenLogAction, &QAction::triggered, this, &MainWindow::OpenLogFromDialog);
    connect(OpenJournalAction, &QAction::triggered, this, &MainWindow::OpenJournalFromDialog);
    connect(ExitAction, &QAction::triggered, this, &MainWindow::ExitProgram);
    connect(CloseLogAction, &QAction::triggered, this, &MainWindow::CloseActiveLog);
    connect(CloseAllLogsAction, &QAction::triggered, this, &MainWindow::CloseAllLogsFromMenu);
    // The command sets the check mark itself; Qt's own toggle is undone first.
    connect(AutomaticModeAction, &QAction::triggered, this, [this](bool checked) {
        AutomaticModeAction->setChecked(!checked);
        ToggleAutomaticMode();
    });
    connect(ViewMenu, &QMenu::aboutToShow, this, &MainWindow::UpdateViewMenu);
    connect(AllEntriesAction, &QAction::triggered, this, &MainWindow::ToggleAllEntries);
    connect(Group1Action, &QAction::triggered, this, &MainWindow::ToggleGroup1);
    connect(Group2Action, &QAction::triggered, this, &MainWindow::ToggleGroup2);
    connect(Group3Action, &QAction::triggered, this, &MainWindow::ToggleGroup3);
    connect(WrapLongLinesAction, &QAction::triggered, this, &MainWindow::ToggleWrapLongLines);
    connect(FilterAction, &QAction::triggered, this, [this] {
        if (LogTab* tab = tabs_ ? tabs_->ActiveTab() : nullptr)
            tab->Filter().Open();
    });
    connect(GoToLineAction, &QAction::triggered, this, [this] {
        if (LogTab* tab = tabs_ ? tabs_->ActiveTab() : nullptr)
            LineJump::Ask(*tab, this);
    });
    // Colours change how rows look, not which rows there are: a repaint, no reload.
    connect(TerminalColoursAction, &QAction::triggered, this, [this] {
        if (tabs_ && tabs_->ActiveTab())
            tabs_->ActiveTab()->ListView()->viewport()->update();
    });
    connect(OptionsAction, &QAction::triggered, this, &MainWindow::ShowOptionsDialog);
    connect(KeepModifiedLogFocusedAction, &QAction::triggered, this,
            &MainWindow::ToggleKeepModifiedLogFocused);
    connect(ContentsAction, &QAction::triggered, this, &MainWindow::ShowHelpContents);
    connect(AboutAction, &QAction::triggered, this, &MainWindow::ShowAbout);
    connect(ReopenSessionAction, &QAction::triggered, this, &MainWindow::ReopenLastSession);
    connect(MuteAlertsAction, &QAction::triggered, this, &MainWindow::ToggleMuteAlerts);
    connect(TabWidget, &QTabWidget::currentChanged, this, &MainWindow::LookAtCurrentTab);
}

void MainWindow::AttachOptions(OptionsDialog& options) {
    optionsDialog_ = &options;
    options_.emplace(options);
    options.ShowHelp = [this](const QString& topic) {
        if (ShowHelpTopic)
            ShowHelpTopic(topic);
    };
    // Ok is refused for expressions the classification could not use.
    options.CheckRegexKeywords = [](const std::string& keywords) -> std::optional<std::string> {
        if (const std::optional<KeywordError> error = marrowlight::CheckRegexKeywords(keywords))
            return DescribeKeywordError(*error);
        return std::nullopt;
    };
    DropTabUsers();
    tabs_ = std::make_unique<LogTabs>(*TabWidget, *StatusBar, StatusPanels, *options_, menuChecks_);
    connect(tabs_.get(), &LogTabs::StatusMessage, this, &MainWindow::ShowStatusMessage);
    autoOpen_ = std::make_unique<AutoOpenClose>(*tabs_, Store, FirstCycle);
    cycle_ = std::make_unique<UpdateCycle>(*tabs_, *this, *PollTimer, FirstCycle);
    tabMenu_ = std::make_unique<LogTabMenu>(*tabs_, menuChecks_);
    tabMenu_->ShowStatus = [this](const QString& text) { ShowStatusMessage(text); };
    cycle_->AutoOpenClosePass = [this] { autoOpen_->AutoOpenClosePass(); };

    unseen_ = std::make_unique<UnseenCounts>(*tabs_, *this);
    tray_ = std::make_unique<Tray>(*this, *MuteAlertsAction);
    connect(tray_->ExitAction, &QAction::triggered, this, [this] { ExitAction->trigger(); });
    unseen_->Changed = [this] { tray_->SetUnseen(unseen_->Summary()); };
    UseNotificationBus(Notifier::SessionBus(), *clock_);
    cycle_->AlertsMuted = [this] { return MuteAlertsAction->isChecked(); };
    cycle_->GroupLinesTaken = [this](const std::vector<UpdateCycle::TakenLines>& taken) {
        const auto lookedAt = [this](const LogTab& tab) { return LookedAt(tab); };
        unseen_->Take(taken, lookedAt);
        if (!MuteAlertsAction->isChecked())
            notifier_->Take(NoticeArrivals(
                taken, [this](int g) { return options_->Group(g).Notifies(); }, lookedAt));
    };
}

void MainWindow::UseNotificationBus(const QDBusConnection& bus, const Clock& clock) {
    notifier_ = std::make_unique<Notifier>(
        bus, clock, [this](int g) { return options_->Group(g).Name().toStdString(); });
    notifier_->ShowLine = [this](const std::string& log, int32_t lineNo) {
        ShowLogLine(log, lineNo);
    };
}

bool MainWindow::LookedAt(const LogTab& tab) const {
    return tabs_ && tabs_->ActiveTab() == &tab && WindowActive && WindowActive();
}

void MainWindow::LookAtCurrentTab() {
    LogTab* tab = tabs_ ? tabs_->ActiveTab() : nullptr;
    if (!tab || !LookedAt(*tab))
        return;
    if (unseen_)
        unseen_->Seen(*tab);
    if (notifier_)
        notifier_->Seen(tab->FileName());
}

void MainWindow::ShowLogLine(const std::string& log, int32_t lineNo) {
    if (tray_)
        tray_->ShowWindow();
    else
        showNormal();
    raise();
    activateWindow();
    LogTab* tab = nullptr;
    for (int i = 0; tabs_ && i < tabs_->Count() && !tab; ++i)
        if (tabs_->Tab(i) && tabs_->Tab(i)->FileName() == log)
            tab = tabs_->Tab(i);
    if (!tab)
        return; // closed since
    tabs_->Activate(*tab);
    // The line is most likely among the newest rows: look from their end.
    const LogListModel& model = tab->Model();
    const int rows = model.rowCount();
    const bool newestFirst = tabs_->Settings().LastEntriesAtTop();
    for (int k = 0; k < rows; ++k) {
        const int row = newestFirst ? k : rows - 1 - k;
        const LineRecord* record = model.Record(row);
        if (!record)
            break; // rows of the load before: none came by a pass
        if (record->LineNo != lineNo)
            continue;
        const QModelIndex index = model.index(row);
        tab->ListView()->setCurrentIndex(index);
        tab->ListView()->scrollTo(index, QAbstractItemView::PositionAtCenter);
        break;
    }
    LookAtCurrentTab();
}

void MainWindow::ApplyAlertOptions() {
    if (tray_ && options_)
        tray_->SetShown(options_->ShowInTray());
    if (unseen_)
        unseen_->ShowAll();
}

void MainWindow::ChooseStayOnTop() {
    stayOnTop_ =
        StayOnTopFromSwitch(*cmd_, ReadReadableSetting(Store, stored::StayOnTop).value_or(""));
    setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop_);
}

void MainWindow::PlaceInTopRightQuarter() {
    const QSize screen = ScreenSize();
    setGeometry(ToQRect(TopRightQuarter(screen.width(), screen.height())));
}

void MainWindow::RestoreWindowPlacement() {
    const StoredPlacement placement{ReadReadableSetting(Store, stored::PlacementTop),
                                    ReadReadableSetting(Store, stored::PlacementLeft),
                                    ReadReadableSetting(Store, stored::PlacementWidth),
                                    ReadReadableSetting(Store, stored::PlacementHeight)};
    if (!placement.top || !placement.left || !placement.width || !placement.height)
        return;
    const QSize screen = ScreenSize();
    WindowRect placed =
        RestoredPlacement(ToWindowRect(geometry()), placement, screen.width(), screen.height());
    std::vector<WindowRect> areas;
    for (const QScreen* each : QGuiApplication::screens())
        areas.push_back(ToWindowRect(each->availableGeometry()));
    // Before the first show the window manager has not framed the window yet;
    // the style's title bar height stands in for the frame's.
    FrameMargins frame = MarginsBetween(ToWindowRect(frameGeometry()), ToWindowRect(geometry()));
    if (frame.top <= 0)
        frame.top = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        placed = KeptOnScreen(placed, frame, areas, ToWindowRect(primary->availableGeometry()));
    setGeometry(ToQRect(placed));
}

void MainWindow::SaveWindowPlacement() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect workArea = primary ? primary->availableGeometry() : geometry();
    // Both sides use the client rectangle (normalGeometry() is geometry() when
    // not maximised), so saving and restoring does not drift.
    const FrameMargins frame =
        MarginsBetween(ToWindowRect(frameGeometry()), ToWindowRect(geometry()));
    const WindowRect placement = PlacementToSave(isMaximized(), ToWindowRect(normalGeometry()),
                                                 ToWindowRect(workArea), frame);
    SettingsWrites writes;
    writes.Write(Store, stored::PlacementTop, std::to_string(placement.top));
    writes.Write(Store, stored::PlacementLeft, std::to_string(placement.left));
    writes.Write(Store, stored::PlacementWidth, std::to_string(placement.width));
    writes.Write(Store, stored::PlacementHeight, std::to_string(placement.height));
    writes.ThrowFirstFailure();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    PrepareShow();
    // Some window managers never activate a window that was started from a
    // terminal; the logs must still open and polling start.
    QTimer::singleShot(0, this, &MainWindow::HandleFirstActivation);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && shown_)
        HandleFirstActivation();
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        LookAtCurrentTab();
}

void MainWindow::PrepareShow() {
    for (const MenuState& state : MenuStates) {
        const std::optional<std::string> text = ReadReadableSetting(Store, state.valueName);
        const std::optional<bool> on = text ? DecodeOnOff(*text) : std::nullopt;
        (this->*state.item)->setChecked(on.value_or(state.byDefault));
    }
}

void MainWindow::HandleFirstActivation() {
    if (Activated)
        return;
    // Set first: opening logs may process events and activate the window again.
    Activated = true;
    // The bytes as given: a name that is not UTF-8 is found as it is.
    const StartupPlan plan = PlanFirstActivation(*cmd_, IsRegularFile);
    if (plan.applySwitches)
        ApplySwitchOverrides();
    if (tabs_)
        for (const std::string& log : plan.logs) {
            if (log == StandardInputAddress)
                tabs_->OpenStandardInput(STDIN_FILENO);
            else
                tabs_->OpenLog(log);
        }
    if (options_ && ReopenSessionAtStart(options_->ReopenSessionAtStart(), !plan.logs.empty(),
                                         menuChecks_.OpenCloseLogsAutomatically()))
        ReopenLastSession();
    ApplyAlertOptions();
    if (plan.hideMenu) {
        MainMenu->clear();
        MainMenu->hide();
    }
    SetPollingInterval();
    PollTimer->start();
    RecordViewFilterSnapshot();
    // The first pass at once, not an interval later: a large log's first rows
    // then show as soon as the window does. Queued, so the window paints
    // first and the pass never runs inside an activation.
    PollSoon();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    // A log still loading must not keep the program busy after its window.
    if (cycle_)
        cycle_->StopLoads();
    if (!closingForSignal_) {
        CloseHandling();
        return;
    }
    try {
        CloseHandling();
    } catch (const SettingsError& error) {
        std::fprintf(stderr, "Marrowlight: %s\n", error.what());
        signalExitCode_ = 1;
    }
}

int MainWindow::CloseForSignal() {
    closingForSignal_ = true;
    signalExitCode_ = 0;
    close();
    return signalExitCode_;
}

void MainWindow::CloseHandling() {
    // SaveRecentFiles's write must not be lost to a failure of HandleClose's.
    std::optional<SettingsError> firstError;
    for (void (MainWindow::*step)() : {&MainWindow::HandleClose, &MainWindow::SaveRecentFiles}) {
        try {
            (this->*step)();
        } catch (const SettingsError& error) {
            if (!firstError)
                firstError = error;
        }
    }
    if (firstError)
        throw *firstError;
}

void MainWindow::SaveRecentFiles() {
    destroyed_ = true;
    history_->Save();
}

void MainWindow::HandleClose() {
    SettingsWrites writes;
    for (const MenuState& state : MenuStates)
        writes.Write(Store, state.valueName, EncodeOnOff((this->*state.item)->isChecked()));
    writes.Write(Store, stored::LastFocusedFile, tabs_ ? tabs_->ActiveFileName() : std::string());
    if (tabs_)
        writes.Attempt([&] { StoreSession(Store, *tabs_); });
    writes.Attempt([&] { SaveWindowPlacement(); });
    writes.ThrowFirstFailure();
}

void MainWindow::ApplySwitchOverrides() {
    marrowlight::ApplySwitchOverrides(*cmd_, *this, options_ ? &*options_ : nullptr);
}

void MainWindow::SetPollingInterval() {
    if (!options_)
        return;
    PollTimer->setInterval(options_->PollingInterval());
}

std::string MainWindow::ViewFilterStates() const {
    std::string states;
    for (const QAction* item : {AllEntriesAction, Group1Action, Group2Action, Group3Action})
        states += item->isChecked() ? '1' : '0';
    return states;
}

void MainWindow::RecordViewFilterSnapshot() {
    ViewFilterSnapshot = ViewFilterStates();
}

void MainWindow::PollLogs() {
    if (cycle_)
        cycle_->Pass();
}

void MainWindow::RestartChangeDelay() {
    ViewChangeTimer->stop();
    ViewChangeTimer->start();
}

void MainWindow::ApplyViewChange() {
    ViewChangeTimer->stop();
    if (ViewFilterStates() == ViewFilterSnapshot)
        return;
    if (tabs_)
        tabs_->ResetAllLogs();
    if (cycle_)
        cycle_->ReadAllSoon();
    RecordViewFilterSnapshot();
}

void MainWindow::PollSoon() {
    // Queued, so it never runs inside a menu command or a dialog's closing.
    QTimer::singleShot(0, this, [this] {
        if (PollTimer->isActive())
            PollLogs();
    });
}

// What refers to the tabs goes before them.
void MainWindow::DropTabUsers() {
    tray_.reset();
    unseen_.reset();
    notifier_.reset();
    cycle_.reset();
    tabMenu_.reset();
    autoOpen_.reset();
}

} // namespace marrowlight
