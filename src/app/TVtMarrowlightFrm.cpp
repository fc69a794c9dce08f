#include "app/TVtMarrowlightFrm.h"

#include "app/MenuAccessKeys.h"
#include "app/SwitchOverrides.h"
#include "app/TFileHistory.h"
#include "app/core/CommandLine.h"
#include "app/core/ProgramInfo.h"
#include "app/core/StartupPlan.h"
#include "app/core/WindowPlacement.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/StatusPanels.h"
#include "monitor/UpdateCycle.h"
#include "settings/OpenFileDialog.h"
#include "settings/TOptionsFrm.h"
#include "settings/core/SettingsStore.h"
#include "support/core/PathUtils.h"
#include "support/core/TextUtils.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
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
    {"LoadAutomaticallyMnu", &MainMenuItems::OpenCloseLogsAutomaticallyMnu, false},
    {"AllEntriesMnu", &MainMenuItems::AllEntriesMnu, true},
    {"Group1Mnu", &MainMenuItems::InformationMnu, true},
    {"Group2Mnu", &MainMenuItems::WarningsMnu, true},
    {"Group3Mnu", &MainMenuItems::ErrorsMnu, true},
    {"KeepModifedLogFocused", &MainMenuItems::KeepModifedLogFocusedMnu, true},
};

// A value that cannot be read (not text) counts as missing: a damaged store
// must not keep the monitor from starting.
std::optional<std::string> ReadOptional(const SettingsStore& store, const std::string& name) {
    try {
        if (!store.SettingExists(name))
            return std::nullopt;
        return store.ReadSetting(name);
    } catch (const SettingsError&) {
        return std::nullopt;
    }
}

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
    UpdateListsTmr->stop();
    FirstCycle = false;
    ChooseStayOnTop();
    Activated = false;
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
    // The cycle refers to the tabs; drop it first.
    cycle_.reset();
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
    ExecuteOpenLogDlg = [this](OpenFileDialog& dialog) { return dialog.execute(this); };
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
    OptionsFrm = &options;
    options.ShowHelp = [this](const QString& topic) {
        if (ShowHelpTopic)
            ShowHelpTopic(topic);
    };
    cycle_.reset();
    tabs_ = std::make_unique<LogTabs>(*PageControl, *StatusBar, StatusPanels, options, menuChecks_);
    cycle_ = std::make_unique<UpdateCycle>(*tabs_, *this, *UpdateListsTmr, FirstCycle);
}

void TVtMarrowlightFrm::ChooseStayOnTop() {
    stayOnTop_ = StayOnTopFromSwitch(*cmd_, ReadOptional(Store, "StayOnTop").value_or(""));
    setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop_);
}

void TVtMarrowlightFrm::PlaceInTopRightQuarter() {
    const QSize screen = ScreenSize();
    setGeometry(ToQRect(TopRightQuarter(screen.width(), screen.height())));
}

void TVtMarrowlightFrm::RestoreWindowPlacement() {
    StoredPlacement stored{ReadOptional(Store, PlacementValueName("Top")),
                           ReadOptional(Store, PlacementValueName("Left")),
                           ReadOptional(Store, PlacementValueName("Width")),
                           ReadOptional(Store, PlacementValueName("Height"))};
    if (!stored.top || !stored.left || !stored.width || !stored.height)
        return;
    const QSize screen = ScreenSize();
    WindowRect placed =
        RestoredPlacement(ToWindowRect(geometry()), stored, screen.width(), screen.height());
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
    Store.WriteSetting(PlacementValueName("Top"), std::to_string(placement.top));
    Store.WriteSetting(PlacementValueName("Left"), std::to_string(placement.left));
    Store.WriteSetting(PlacementValueName("Width"), std::to_string(placement.width));
    Store.WriteSetting(PlacementValueName("Height"), std::to_string(placement.height));
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
        const std::optional<std::string> stored = ReadOptional(Store, state.valueName);
        const std::optional<long long> value = stored ? ParseDecimal(*stored) : std::nullopt;
        (this->*state.item)->setChecked(value ? *value != 0 : state.byDefault);
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
}

void TVtMarrowlightFrm::closeEvent(QCloseEvent* event) {
    event->accept();
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
    // Every value is attempted; the first failure is reported afterwards.
    std::optional<SettingsError> firstError;
    auto attempt = [&firstError](auto&& write) {
        try {
            write();
        } catch (const SettingsError& error) {
            if (!firstError)
                firstError = error;
        }
    };
    for (const MenuState& state : MenuStates)
        attempt([&] {
            Store.WriteSetting(state.valueName, (this->*state.item)->isChecked() ? "1" : "0");
        });
    attempt([&] {
        Store.WriteSetting("LastFocusedFile", tabs_ ? tabs_->ActiveFileName() : std::string());
    });
    attempt([&] { SaveWindowPlacement(); });
    if (firstError)
        throw *firstError;
}

void TVtMarrowlightFrm::ApplySwitchOverrides() {
    marrowlight::ApplySwitchOverrides(*cmd_, {this, OptionsFrm});
}

void TVtMarrowlightFrm::SetPollingInterval() {
    if (!OptionsFrm)
        return;
    UpdateListsTmr->setInterval(PollingInterval(OptionsFrm->UpdateDateTimeChangeRdo->isChecked(),
                                                OptionsFrm->UpdateEachCBx->currentIndex()));
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

void TVtMarrowlightFrm::FileMnuClick() {
    // By hand or automatically, not both: while logs come and go by
    // themselves, the commands that open or close one are greyed out.
    const bool byHand = !menuChecks_.OpenCloseLogsAutomatically();
    for (QAction* item : {OpenLogMnu, CloseLogMnu, CloseAllLogsMnu})
        item->setEnabled(byHand);
    history_->SetItemsEnabled(byHand);
}

QString TVtMarrowlightFrm::WatchedFolders() const {
    return OptionsFrm ? OptionsFrm->LogFolderEdt->text().trimmed() : QString();
}

void TVtMarrowlightFrm::OpenLogMnuClick() {
    if (!tabs_)
        return;
    // A single watched folder is where the logs are; once chosen it stays.
    if (OpenLogDlg->directory.isEmpty()) {
        const QString folders = WatchedFolders();
        if (!folders.isEmpty() && !folders.contains(';'))
            OpenLogDlg->directory = folders;
    }
    if (!ExecuteOpenLogDlg(*OpenLogDlg))
        return;
    const std::string path = QFile::encodeName(OpenLogDlg->fileName).toStdString();
    tabs_->OpenLog(path);
    history_->AddFile(path);
}

void TVtMarrowlightFrm::FileHistoryClick(QAction* item) {
    // The item carries its path: equal captions or an "&" in a path cannot
    // lead to another entry. Opening it does not move it in the list.
    const std::string path = history_->FileForMenuItem(item);
    if (tabs_ && !path.empty())
        tabs_->OpenLog(path);
}

void TVtMarrowlightFrm::ExitMnuClick() {
    close();
}

void TVtMarrowlightFrm::ViewMnuClick() {
    RestartChangeDelay();
    const bool byGroup = !AllEntriesMnu->isChecked();
    QAction* const groupItems[] = {InformationMnu, WarningsMnu, ErrorsMnu};
    for (int g = 1; g <= 3; ++g) {
        QAction* item = groupItems[g - 1];
        item->setEnabled(byGroup);
        const std::string name =
            ReadOptional(Store, "Group" + std::to_string(g) + "Caption").value_or("");
        // A blank name would leave an item nobody can read; keep the last one.
        if (TrimText(name).empty())
            continue;
        QString caption = QString::fromStdString(name);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        item->setText(caption);
    }
    AssignMenuAccessKeys(*ViewMnu);
}

void TVtMarrowlightFrm::AllEntriesMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::InformationMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::WarningsMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::ErrorsMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::KeepModifedLogFocusedMnuClick() {
    if (!KeepModifedLogFocusedMnu->isChecked() || !tabs_)
        return;
    // Only one tab carries the marker at a time.
    for (int i = 0; i < tabs_->Count(); ++i)
        if (LogTab* tab = tabs_->Tab(i); tab && tab->Image == MenuImageIndex::NewLines)
            tabs_->Activate(*tab);
}

void TVtMarrowlightFrm::ContentsMnuClick() {
    if (ShowHelpTopic)
        ShowHelpTopic("Overview.htm");
}

void TVtMarrowlightFrm::AboutMnuClick() {
    QMessageBox box(this);
    box.setObjectName("AboutBox");
    box.setWindowTitle("About Marrowlight");
    box.setWindowIcon(windowIcon());
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.setText(QString::fromStdString(AboutText(qVersion())));
    box.setStandardButtons(QMessageBox::Ok);
    ShowModal(box);
}

void TVtMarrowlightFrm::CloseLogMnuClick() {
    if (tabs_)
        tabs_->CloseLog(PageControl->currentWidget());
}

void TVtMarrowlightFrm::CloseAllLogsMnuClick() {
    if (!tabs_)
        return;
    // Bounded, so a tab that refuses to go cannot hang the window.
    for (int left = PageControl->count(); left > 0 && PageControl->currentWidget(); --left)
        tabs_->CloseLog(PageControl->currentWidget());
}

void TVtMarrowlightFrm::Options1MnuClick() {
    if (!OptionsFrm)
        return;
    UpdateListsTmr->stop();
    // Polling must resume even when applying the result fails.
    struct RestartTimer {
        QTimer* timer;
        ~RestartTimer() { timer->start(); }
    } restart{UpdateListsTmr};

    // A Cancel restores what the dialog showed on opening; switches are not
    // applied again, or they would undo the user's changes since start-up.
    const bool wasOnTop = OptionsFrm->StayOnTopChk->isChecked();
    if (OptionsFrm->Execute() != QDialog::Accepted)
        return;
    const std::optional<SettingsError> captionError = StoreGroupCaptions();
    ApplyOptionsResult();
    if (OptionsFrm->StayOnTopChk->isChecked() != wasOnTop)
        QMessageBox::information(this, "Marrowlight", StayOnTopMessage(!wasOnTop));
    SetPollingInterval();
    // The accepted values are in use even when storing them failed.
    if (OptionsFrm->SaveError)
        throw SettingsError(*OptionsFrm->SaveError);
    if (captionError)
        throw *captionError;
}

std::optional<SettingsError> TVtMarrowlightFrm::StoreGroupCaptions() {
    const TOptionsFrm& options = *OptionsFrm;
    try {
        Store.WriteSetting("Group1Caption", options.Group1NameEdt->text().toStdString());
        Store.WriteSetting("Group2Caption", options.Group2NameEdt->text().toStdString());
        Store.WriteSetting("Group3Caption", options.Group3NameEdt->text().toStdString());
    } catch (const SettingsError& error) {
        return error;
    }
    return std::nullopt;
}

void TVtMarrowlightFrm::ApplyOptionsResult() {
    TOptionsFrm& options = *OptionsFrm;
    if (options.AutoOpenChanged) {
        CloseAllLogsMnuClick();
        return;
    }
    if (tabs_ && (options.FontChanged || options.NeedsReload))
        tabs_->ResetAllLogs();
    if (tabs_ && options.FontChanged)
        tabs_->ApplyFontToAll();
    // Colours and gutter settings show at once.
    if (QWidget* page = PageControl->currentWidget())
        for (QAbstractItemView* list : page->findChildren<QAbstractItemView*>())
            list->viewport()->update();
}

QString StayOnTopMessage(bool nowOnTop) {
    return nowOnTop
               ? QStringLiteral("You have selected that Marrowlight should stay on top of all the "
                                "other windows.\nThis change will take effect next time "
                                "Marrowlight is started.")
               : QStringLiteral("You have selected that Marrowlight should not stay on top of all "
                                "the other windows any more.\nThis change will take effect next "
                                "time Marrowlight is started.");
}

} // namespace marrowlight
