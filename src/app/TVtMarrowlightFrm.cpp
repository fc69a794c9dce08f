#include "app/TVtMarrowlightFrm.h"

#include "app/FileDrop.h"
#include "app/LogTabMenu.h"
#include "app/SwitchOverrides.h"
#include "app/TFileHistory.h"
#include "app/core/CommandLine.h"
#include "app/core/StartupPlan.h"
#include "app/core/WindowPlacement.h"
#include "autoopen/AutoOpenClose.h"
#include "monitor/LogTabs.h"
#include "monitor/StatusPanels.h"
#include "monitor/UpdateCycle.h"
#include "settings/OpenFileDialog.h"
#include "settings/TOptionsFrm.h"
#include "settings/core/OnOffValue.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/StoredNames.h"
#include "support/THtmlHelp.h"
#include "support/core/PathUtils.h"

#include <QAction>
#include <QCloseEvent>
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

namespace marrowlight {

int PollingInterval(bool updateOnChange, int updateEachIndex) {
    static constexpr int Intervals[] = {1000, 2000, 5000, 10000, 30000, 60000, 300000};
    if (updateOnChange)
        return 500;
    if (updateEachIndex < 0 || updateEachIndex >= int(std::size(Intervals)))
        return 1000;
    return Intervals[updateEachIndex];
}

namespace {

constexpr int DesignWidth = 696;
constexpr int DesignHeight = 494;

// Right after "Open && Close Logs Automatically".
constexpr int HistoryPosition = 5;

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
    {stored::LoadAutomaticallyMnu, &MainMenuItems::OpenCloseLogsAutomaticallyMnu, false},
    {stored::AllEntriesMnu, &MainMenuItems::AllEntriesMnu, true},
    {stored::Group1Mnu, &MainMenuItems::InformationMnu, true},
    {stored::Group2Mnu, &MainMenuItems::WarningsMnu, true},
    {stored::Group3Mnu, &MainMenuItems::ErrorsMnu, true},
    {stored::KeepModifedLogFocused, &MainMenuItems::KeepModifedLogFocusedMnu, true},
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

TVtMarrowlightFrm::TVtMarrowlightFrm(SettingsStore& store, std::vector<std::string> args,
                                     QWidget* parent)
    : QMainWindow(parent), Store(store), cmd_(std::make_unique<CommandLine>(std::move(args))) {
    setObjectName("VtMarrowlightFrm");
    setWindowTitle("Veltaroon Marrowlight");
    resize(DesignWidth, DesignHeight);
    CreateControls();
    BuildMainMenu(*this, *this);
    ConnectHandlers();

    ViewFilterSnapshot = "    ";
    history_ = std::make_unique<TFileHistory>(Store);
    history_->AttachToMenu(FileMnu, HistoryPosition,
                           [this](QAction* item) { FileHistoryClick(item); });
    FileDrop = new FileDropTarget(
        *this, [this] { return menuChecks_.OpenCloseLogsAutomatically(); },
        [this](const std::string& path) { OpenLogByHand(path); },
        [this](const QString& text) { ShowStatusMessage(text); });
    UpdateListsTmr->stop();
    FirstCycle = false;
    ChooseStayOnTop();
    Activated = false;
    help_ = std::make_unique<THtmlHelp>(
        QString::fromStdString(ProgramBaseName(cmd_->ProgramPath()) + ".qch"));
    ShowHelpTopic = [this](const QString& topic) { help_->ShowTopic(topic); };
    PlaceInTopRightQuarter();
    RestoreWindowPlacement();
    setWindowTitle(QString::fromStdString(CaptionWithSuffix(windowTitle().toStdString(), *cmd_)));
    setAccessibleName(windowTitle());
}

TVtMarrowlightFrm::~TVtMarrowlightFrm() {
    // Closing ran FormDestroy and reported a failure; a window that was never
    // closed has nobody left to tell.
    if (!destroyed_) {
        try {
            FormDestroy();
        } catch (const SettingsError&) {
        }
    }
    // The cycle, the tab menu and the automatic opening refer to the tabs;
    // drop them first.
    cycle_.reset();
    tabMenu_.reset();
    autoOpen_.reset();
    tabs_.reset();
}

const CommandLine& TVtMarrowlightFrm::Cmd() const {
    return *cmd_;
}

void TVtMarrowlightFrm::CreateControls() {
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    PageControl->setAccessibleName("Logs");
    PageControl->setTabPosition(QTabWidget::South);
    // Qt has no multi-row tab bar; scroll buttons reach the tabs that don't fit.
    PageControl->setUsesScrollButtons(true);
    PageControl->tabBar()->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(PageControl);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    setStatusBar(StatusBar);
    StatusPanels = {MakePanel(StatusBar, "StatusPanel0", 105, "Last read: 00:00:00"),
                    MakePanel(StatusBar, "StatusPanel1", 80, "Lines: 0000000"),
                    MakePanel(StatusBar, "StatusPanel2", 102, "Displayed: 0000000"),
                    MakeLastPanel(StatusBar, "StatusPanel3")};

    UpdateListsTmr = new QTimer(this);
    UpdateListsTmr->setObjectName("UpdateListsTmr");
    UpdateListsTmr->setInterval(500);
    ChangeDelayTmr = new QTimer(this);
    ChangeDelayTmr->setObjectName("ChangeDelayTmr");
    ChangeDelayTmr->setInterval(1000);
    ChangeDelayTmr->setSingleShot(true);
    // A coarse timer may round the expiry, so a re-arming could fire no later.
    ChangeDelayTmr->setTimerType(Qt::PreciseTimer);
    ChangeDelayTmr->start();

    OpenLogDlg = new OpenFileDialog(this);
    OpenLogDlg->setObjectName("OpenLogDlg");
    OpenLogDlg->title = "Open Log";
    OpenLogDlg->nameFilters = LogFileFilters;
    OpenLogDlg->defaultExtension = "log";
    // A log that is not there yet can be followed until it appears.
    OpenLogDlg->fileMustExist = false;
    ExecuteOpenLogDlg = [this](OpenFileDialog& dialog) { return dialog.Execute(this); };
    ShowModal = [](QDialog& dialog) { return dialog.exec(); };
}

void TVtMarrowlightFrm::ConnectHandlers() {
    connect(UpdateListsTmr, &QTimer::timeout, this, &TVtMarrowlightFrm::UpdateListsTmrTimer);
    connect(ChangeDelayTmr, &QTimer::timeout, this, &TVtMarrowlightFrm::ChangeDelayTmrTimer);
    connect(FileMnu, &QMenu::aboutToShow, this, &TVtMarrowlightFrm::FileMnuClick);
    connect(OpenLogMnu, &QAction::triggered, this, &TVtMarrowlightFrm::OpenLogMnuClick);
    connect(ExitMnu, &QAction::triggered, this, &TVtMarrowlightFrm::ExitMnuClick);
    connect(CloseLogMnu, &QAction::triggered, this, &TVtMarrowlightFrm::CloseLogMnuClick);
    connect(CloseAllLogsMnu, &QAction::triggered, this, &TVtMarrowlightFrm::CloseAllLogsMnuClick);
    // The command sets the check mark itself; Qt's own toggle is undone first.
    connect(OpenCloseLogsAutomaticallyMnu, &QAction::triggered, this, [this](bool checked) {
        OpenCloseLogsAutomaticallyMnu->setChecked(!checked);
        OpenCloseLogsAutomaticallyMnuClick();
    });
    connect(ViewMnu, &QMenu::aboutToShow, this, &TVtMarrowlightFrm::ViewMnuClick);
    connect(AllEntriesMnu, &QAction::triggered, this, &TVtMarrowlightFrm::AllEntriesMnuClick);
    connect(InformationMnu, &QAction::triggered, this, &TVtMarrowlightFrm::InformationMnuClick);
    connect(WarningsMnu, &QAction::triggered, this, &TVtMarrowlightFrm::WarningsMnuClick);
    connect(ErrorsMnu, &QAction::triggered, this, &TVtMarrowlightFrm::ErrorsMnuClick);
    connect(Options1Mnu, &QAction::triggered, this, &TVtMarrowlightFrm::Options1MnuClick);
    connect(KeepModifedLogFocusedMnu, &QAction::triggered, this,
            &TVtMarrowlightFrm::KeepModifedLogFocusedMnuClick);
    connect(ContentsMnu, &QAction::triggered, this, &TVtMarrowlightFrm::ContentsMnuClick);
    connect(AboutMnu, &QAction::triggered, this, &TVtMarrowlightFrm::AboutMnuClick);
}

void TVtMarrowlightFrm::AttachOptions(TOptionsFrm& options) {
    optionsFrm_ = &options;
    options_.emplace(options);
    options.ShowHelp = [this](const QString& topic) {
        if (ShowHelpTopic)
            ShowHelpTopic(topic);
    };
    cycle_.reset();
    tabMenu_.reset();
    autoOpen_.reset();
    tabs_ =
        std::make_unique<LogTabs>(*PageControl, *StatusBar, StatusPanels, *options_, menuChecks_);
    connect(tabs_.get(), &LogTabs::StatusMessage, this, &TVtMarrowlightFrm::ShowStatusMessage);
    autoOpen_ = std::make_unique<AutoOpenClose>(*tabs_, Store, FirstCycle);
    cycle_ = std::make_unique<UpdateCycle>(*tabs_, *this, *UpdateListsTmr, FirstCycle);
    tabMenu_ = std::make_unique<LogTabMenu>(*tabs_, menuChecks_);
    tabMenu_->ShowStatus = [this](const QString& text) { ShowStatusMessage(text); };
    cycle_->AutoOpenClosePass = [this] { autoOpen_->AutoOpenClosePass(); };
}

void TVtMarrowlightFrm::ChooseStayOnTop() {
    stayOnTop_ =
        StayOnTopFromSwitch(*cmd_, ReadReadableSetting(Store, stored::StayOnTop).value_or(""));
    setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop_);
}

void TVtMarrowlightFrm::PlaceInTopRightQuarter() {
    const QSize screen = ScreenSize();
    setGeometry(ToQRect(TopRightQuarter(screen.width(), screen.height())));
}

void TVtMarrowlightFrm::RestoreWindowPlacement() {
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

void TVtMarrowlightFrm::SaveWindowPlacement() {
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

void TVtMarrowlightFrm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
    // Some window managers never activate a window that was started from a
    // terminal; the logs must still open and polling start.
    QTimer::singleShot(0, this, &TVtMarrowlightFrm::FormActivate);
}

void TVtMarrowlightFrm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && shown_)
        FormActivate();
}

void TVtMarrowlightFrm::FormShow() {
    for (const MenuState& state : MenuStates) {
        const std::optional<std::string> text = ReadReadableSetting(Store, state.valueName);
        const std::optional<bool> on = text ? DecodeOnOff(*text) : std::nullopt;
        (this->*state.item)->setChecked(on.value_or(state.byDefault));
    }
}

void TVtMarrowlightFrm::FormActivate() {
    if (Activated)
        return;
    // Set first: opening logs may process events and activate the window again.
    Activated = true;
    // The bytes as given: a name that is not UTF-8 is found as it is.
    const StartupPlan plan = PlanFirstActivation(*cmd_, IsRegularFile);
    if (plan.applySwitches)
        ApplySwitchOverrides();
    if (tabs_)
        for (const std::string& log : plan.logs)
            tabs_->OpenLog(log);
    if (plan.hideMenu) {
        MainMenu->clear();
        MainMenu->hide();
    }
    SetPollingInterval();
    UpdateListsTmr->start();
    RecordViewFilterSnapshot();
    // The first pass at once, not an interval later: a large log's first rows
    // then show as soon as the window does. Queued, so the window paints
    // first and the pass never runs inside an activation.
    QTimer::singleShot(0, this, [this] {
        if (UpdateListsTmr->isActive())
            UpdateListsTmrTimer();
    });
}

void TVtMarrowlightFrm::closeEvent(QCloseEvent* event) {
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

int TVtMarrowlightFrm::CloseForSignal() {
    closingForSignal_ = true;
    signalExitCode_ = 0;
    close();
    return signalExitCode_;
}

void TVtMarrowlightFrm::CloseHandling() {
    // FormDestroy's write must not be lost to a failure of FormClose's.
    std::optional<SettingsError> firstError;
    for (void (TVtMarrowlightFrm::*step)() :
         {&TVtMarrowlightFrm::FormClose, &TVtMarrowlightFrm::FormDestroy}) {
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

void TVtMarrowlightFrm::FormDestroy() {
    destroyed_ = true;
    history_->Save();
}

void TVtMarrowlightFrm::FormClose() {
    SettingsWrites writes;
    for (const MenuState& state : MenuStates)
        writes.Write(Store, state.valueName, EncodeOnOff((this->*state.item)->isChecked()));
    writes.Write(Store, stored::LastFocusedFile, tabs_ ? tabs_->ActiveFileName() : std::string());
    writes.Attempt([&] { SaveWindowPlacement(); });
    writes.ThrowFirstFailure();
}

void TVtMarrowlightFrm::ApplySwitchOverrides() {
    marrowlight::ApplySwitchOverrides(*cmd_, *this, options_ ? &*options_ : nullptr);
}

void TVtMarrowlightFrm::SetPollingInterval() {
    if (!options_)
        return;
    UpdateListsTmr->setInterval(
        PollingInterval(options_->UpdateOnTimeStampChange(), options_->UpdateEachIndex()));
}

std::string TVtMarrowlightFrm::ViewFilterStates() const {
    std::string states;
    for (const QAction* item : {AllEntriesMnu, InformationMnu, WarningsMnu, ErrorsMnu})
        states += item->isChecked() ? '1' : '0';
    return states;
}

void TVtMarrowlightFrm::RecordViewFilterSnapshot() {
    ViewFilterSnapshot = ViewFilterStates();
}

void TVtMarrowlightFrm::UpdateListsTmrTimer() {
    if (cycle_)
        cycle_->Pass();
}

void TVtMarrowlightFrm::RestartChangeDelay() {
    ChangeDelayTmr->stop();
    ChangeDelayTmr->start();
}

void TVtMarrowlightFrm::ChangeDelayTmrTimer() {
    ChangeDelayTmr->stop();
    if (ViewFilterStates() == ViewFilterSnapshot)
        return;
    if (tabs_)
        tabs_->ResetAllLogs();
    RecordViewFilterSnapshot();
}

} // namespace marrowlight
