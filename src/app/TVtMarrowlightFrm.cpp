#include "app/TVtMarrowlightFrm.h"

#include "app/SwitchOverrides.h"
#include "app/core/CommandLine.h"
#include "app/core/StartupPlan.h"
#include "app/core/WindowPlacement.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/TOptionsFrm.h"
#include "settings/core/SettingsStore.h"
#include "support/core/TextUtils.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <algorithm>

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
// longest usual text.
QLabel* MakePanel(QStatusBar* bar, const char* name, int width, const char* longestText) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(name);
    panel->setAccessibleName(name);
    if (width > 0) {
        const int needed = panel->fontMetrics().horizontalAdvance(longestText) +
                           2 * panel->margin() + 2 * panel->frameWidth() + 6;
        panel->setFixedWidth(std::max(width, needed));
    }
    bar->addWidget(panel, width > 0 ? 0 : 1);
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

    // Recent files and the help launcher are attached here once they exist.
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
    // FormDestroy: the recent files will be saved and the help viewer ended here.
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
    PageControl->setAccessibleName("PageControl");
    PageControl->setTabPosition(QTabWidget::South);
    // Qt has no multi-row tab bar; scroll buttons reach the tabs that don't fit.
    PageControl->setUsesScrollButtons(true);
    PageControl->tabBar()->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(PageControl);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setAccessibleName("StatusBar");
    setStatusBar(StatusBar);
    StatusPanels = {MakePanel(StatusBar, "StatusPanel0", 105, "Last read: 00:00:00"),
                    MakePanel(StatusBar, "StatusPanel1", 80, "Lines: 0000000"),
                    MakePanel(StatusBar, "StatusPanel2", 102, "Displayed: 0000000"),
                    MakePanel(StatusBar, "StatusPanel3", 0, "")};

    UpdateListsTmr = new QTimer(this);
    UpdateListsTmr->setObjectName("UpdateListsTmr");
    UpdateListsTmr->setInterval(500);
    ChangeDelayTmr = new QTimer(this);
    ChangeDelayTmr->setObjectName("ChangeDelayTmr");
    ChangeDelayTmr->setInterval(1000);
}

void TVtMarrowlightFrm::ConnectHandlers() {
    connect(UpdateListsTmr, &QTimer::timeout, this, &TVtMarrowlightFrm::UpdateListsTmrTimer);
    connect(ChangeDelayTmr, &QTimer::timeout, this, &TVtMarrowlightFrm::ChangeDelayTmrTimer);
    connect(ExitMnu, &QAction::triggered, this, &TVtMarrowlightFrm::ExitMnuClick);
    connect(CloseLogMnu, &QAction::triggered, this, &TVtMarrowlightFrm::CloseLogMnuClick);
    connect(CloseAllLogsMnu, &QAction::triggered, this, &TVtMarrowlightFrm::CloseAllLogsMnuClick);
    connect(Options1Mnu, &QAction::triggered, this, &TVtMarrowlightFrm::Options1MnuClick);
}

void TVtMarrowlightFrm::AttachOptions(TOptionsFrm& options) {
    OptionsFrm = &options;
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
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        placed = KeptOnScreen(placed, areas, ToWindowRect(primary->availableGeometry()));
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
    const StartupPlan plan = PlanFirstActivation(*cmd_, [](const std::string& path) {
        return QFileInfo(QString::fromStdString(path)).isFile();
    });
    if (plan.applySwitches)
        ApplySwitchOverrides();
    if (tabs_)
        for (const std::string& log : plan.logs)
            tabs_->OpenLog(QString::fromStdString(log));
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
    FormClose();
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
        Store.WriteSetting("LastFocusedFile",
                           tabs_ ? tabs_->ActiveFileName().toStdString() : std::string());
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

void TVtMarrowlightFrm::ChangeDelayTmrTimer() {
    ChangeDelayTmr->stop();
}

void TVtMarrowlightFrm::ExitMnuClick() {
    close();
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
