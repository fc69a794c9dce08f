#include "settings/TOptionsFrm.h"

#include "settings/AdvancedPage.h"
#include "settings/AutoOpenClosePage.h"
#include "settings/ColorListBox.h"
#include "settings/DisplayPage.h"
#include "settings/FontListBox.h"
#include "settings/FormState.h"
#include "settings/GroupsPage.h"
#include "settings/TDirectoryBrowseFrm.h"
#include "settings/core/ColorTable.h"
#include "settings/core/FolderList.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SoundChoices.h"
#include "support/core/TextUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace marrowlight {

namespace {
constexpr int kDefaultFontSizeIndex = 2; // "8"

void selectQuietly(QComboBox* list, int index) {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(index);
}
} // namespace

TOptionsFrm::TOptionsFrm(SettingsStore& store, SoundOutput& sound, bool stayOnTopSwitchGiven,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      store_(store), sound_(sound), stayOnTopSwitchGiven_(stayOnTopSwitchGiven) {
    setObjectName("OptionsFrm");
    setWindowTitle("Options");
    BrowseFolder = [this](const QString& initial) {
        return TDirectoryBrowseFrm::Browse(this, initial);
    };
    BuildPages();
    ConnectHandlers();
    FormCreate();
}

TOptionsFrm::~TOptionsFrm() = default;

void TOptionsFrm::BuildPages() {
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    auto* groups = new GroupsPage;
    auto* display = new DisplayPage;
    auto* autoOpen = new AutoOpenClosePage;
    auto* advanced = new AdvancedPage;
    PageControl->addTab(groups, "Groups");
    PageControl->addTab(display, "Display");
    PageControl->addTab(autoOpen, "Automated Open && Close");
    PageControl->addTab(advanced, "Advanced");
    GroupsTab = groups;
    DisplayOptionsTab = display;
    AutoOpenCloseTab = autoOpen;
    AdvancedTab = advanced;

    QLineEdit** names[] = {&Group1NameEdt, &Group2NameEdt, &Group3NameEdt};
    QLineEdit** keywords[] = {&Group1Edt, &Group2Edt, &Group3Edt};
    ColorListBox** colors[] = {&Group1ColorCBx, &Group2ColorCBx, &Group3ColorCBx};
    QComboBox** sounds[] = {&Group1SoundCBx, &Group2SoundCBx, &Group3SoundCBx};
    for (int g = 0; g < 3; ++g) {
        *names[g] = groups->NameEdt[g];
        *keywords[g] = groups->Edt[g];
        *colors[g] = groups->ColorCBx[g];
        *sounds[g] = groups->SoundCBx[g];
    }
    ShowLineTimeChk = display->ShowLineTimeChk;
    ShowLineNumbersChk = display->ShowLineNumbersChk;
    LastEntriesAtTopChk = display->LastEntriesAtTopChk;
    LogLineTimeMaskCbx = display->LogLineTimeMaskCbx;
    AllLogLinesRdo = display->AllLogLinesRdo;
    AddedLogLinesRdo = display->AddedLogLinesRdo;
    FontsCBx = display->FontsCBx;
    FontSizeCBx = display->FontSizeCBx;
    LogFolderEdt = autoOpen->LogFolderEdt;
    BrowseBtn = autoOpen->BrowseBtn;
    MatchMaskChk = autoOpen->MatchMaskChk;
    MatchWildcardsChk = autoOpen->MatchWildcardsChk;
    MatchDateChk = autoOpen->MatchDateChk;
    FileMasksEdt = autoOpen->FileMasksEdt;
    MatchWildcardsEdt = autoOpen->MatchWildcardsEdt;
    UpdateDateTimeChangeRdo = advanced->UpdateDateTimeChangeRdo;
    UpdateForcedRdo = advanced->UpdateForcedRdo;
    UpdateEachCBx = advanced->UpdateEachCBx;
    StayOnTopChk = advanced->StayOnTopChk;
    RestoreWindowChk = advanced->RestoreWindowChk;

    auto makeButton = [this](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false); // Enter does not close the dialog
        return button;
    };
    OkBtn = makeButton("Ok", "OkBtn");
    CancelBtn = makeButton("Cancel", "CancelBtn");
    HelpBtn = makeButton("Help", "HelpBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(516, 521)));
}

void TOptionsFrm::ConnectHandlers() {
    auto onToggle = [this](QAbstractButton* button, void (TOptionsFrm::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, handler);
    };
    // A radio button reacts when it becomes checked, as a click would.
    auto onChecked = [this](QRadioButton* radio, void (TOptionsFrm::*handler)()) {
        connect(radio, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onToggle(ShowLineNumbersChk, &TOptionsFrm::ShowLineNumbersChkClick);
    onToggle(ShowLineTimeChk, &TOptionsFrm::ShowLineTimeChkClick);
    onToggle(MatchMaskChk, &TOptionsFrm::MatchMaskChkClick);
    onToggle(MatchWildcardsChk, &TOptionsFrm::MatchWildcardsChkClick);
    onToggle(MatchDateChk, &TOptionsFrm::SetAutoOpenChanged);
    onToggle(LastEntriesAtTopChk, &TOptionsFrm::SetNeedsReload);
    onToggle(StayOnTopChk, &TOptionsFrm::StayOnTopChkClick);
    onChecked(AllLogLinesRdo, &TOptionsFrm::SetNeedsReload);
    onChecked(AddedLogLinesRdo, &TOptionsFrm::SetNeedsReload);
    onChecked(UpdateDateTimeChangeRdo, &TOptionsFrm::UpdatingChangedClick);
    onChecked(UpdateForcedRdo, &TOptionsFrm::UpdatingChangedClick);

    for (QLineEdit* edit : {Group1Edt, Group2Edt, Group3Edt})
        connect(edit, &QLineEdit::textChanged, this, &TOptionsFrm::SetNeedsReload);
    for (QLineEdit* edit : {LogFolderEdt, MatchWildcardsEdt})
        connect(edit, &QLineEdit::textChanged, this, &TOptionsFrm::SetAutoOpenChanged);
    FileMasksEdt->installEventFilter(this);

    // Program selections are made with signals blocked, so these fire only
    // for the user's choices.
    for (QComboBox* list : {static_cast<QComboBox*>(FontsCBx), FontSizeCBx})
        connect(list, &QComboBox::currentIndexChanged, this, &TOptionsFrm::SetFontChanged);
    for (QComboBox* list : {Group1SoundCBx, Group2SoundCBx, Group3SoundCBx})
        connect(list, &QComboBox::activated, this, [this, list] { DoTestBeep(list); });

    connect(BrowseBtn, &QPushButton::clicked, this, &TOptionsFrm::BrowseBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TOptionsFrm::HelpBtnClick);
}

int TOptionsFrm::DefaultFontIndex() const {
    int index = FontsCBx->findText("Arial", Qt::MatchFixedString);
    if (index < 0)
        index = FontsCBx->findText(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                                   Qt::MatchFixedString);
    if (index < 0 && FontsCBx->count() > 0)
        index = 0;
    return index;
}

void TOptionsFrm::FormCreate() {
    {
        const QSignalBlocker quiet(FontsCBx);
        FontsCBx->fillFamilies();
    }
    selectQuietly(FontsCBx, DefaultFontIndex());
    selectQuietly(FontSizeCBx, kDefaultFontSizeIndex);
    for (QComboBox* list : {Group1SoundCBx, Group2SoundCBx, Group3SoundCBx})
        selectQuietly(list, 0);
    selectQuietly(Group1ColorCBx, kGreen);
    selectQuietly(Group2ColorCBx, kMaroon);
    selectQuietly(Group3ColorCBx, kRed);
    selectQuietly(UpdateEachCBx, 0);
    UpdateEachCBx->setEnabled(false);
    NeedsReload = FontChanged = AutoOpenChanged = false;
    PageControl->setCurrentWidget(GroupsTab);
    LoadSettings();
    ApplyEnabling();
}

void TOptionsFrm::ApplyEnabling() {
    FileMasksEdt->setEnabled(MatchMaskChk->isChecked());
    MatchWildcardsEdt->setEnabled(MatchWildcardsChk->isChecked());
    UpdateEachCBx->setEnabled(UpdateForcedRdo->isChecked());
    LogLineTimeMaskCbx->setEnabled(ShowLineTimeChk->isChecked());
    StayOnTopChk->setEnabled(!stayOnTopSwitchGiven_);
}

void TOptionsFrm::LoadNamedText(const char* name, QLineEdit* edit) {
    try {
        if (!store_.SettingExists(name))
            return;
        const std::string text = LineBreaksToSemicolons(TrimText(store_.ReadSetting(name)));
        edit->setText(QString::fromStdString(text));
    } catch (const SettingsError&) {
        // An unreadable value keeps the control's text rather than stop start-up.
    }
}

void TOptionsFrm::LoadListControl(QComboBox* list, int defaultIndex) {
    LoadFormState(list, store_); // leaves the list alone for a value it cannot use
    const std::string name = list->objectName().toStdString();
    int index = -1;
    bool usable = true;
    try {
        usable = !store_.SettingExists(name) ||
                 ParseListIndex(store_.ReadSetting(name), list->count(), index);
    } catch (const SettingsError&) {
        usable = false;
    }
    if (!usable || list->currentIndex() < 0)
        selectQuietly(list, defaultIndex);
}

void TOptionsFrm::LoadSettings() {
    LoadFormState(this, store_);
    LoadNamedText("Group1Masks", Group1Edt);
    LoadNamedText("Group2Masks", Group2Edt);
    LoadNamedText("Group3Masks", Group3Edt);
    LoadNamedText("DateTimeMasks", FileMasksEdt);
    LoadNamedText("WildcardsMasks", MatchWildcardsEdt);
    LoadListControl(UpdateEachCBx, 0);
    LoadListControl(FontsCBx, DefaultFontIndex());
    LoadListControl(FontSizeCBx, kDefaultFontSizeIndex);
    LoadListControl(Group1SoundCBx, 0);
    LoadListControl(Group2SoundCBx, 0);
    LoadListControl(Group3SoundCBx, 0);
}

void TOptionsFrm::SaveSettings() {
    // Every value is attempted, so one refused value does not lose the others.
    std::optional<SettingsError> failure;
    auto attempt = [&failure](const std::function<void()>& save) {
        try {
            save();
        } catch (const SettingsError& e) {
            if (!failure)
                failure = e;
        }
    };
    auto saveText = [&](const char* name, const QLineEdit* edit) {
        attempt([&] { store_.WriteSetting(name, edit->text().toStdString()); });
    };
    attempt([&] { SaveFormState(this, store_); });
    saveText("Group1Masks", Group1Edt);
    saveText("Group2Masks", Group2Edt);
    saveText("Group3Masks", Group3Edt);
    saveText("DateTimeMasks", FileMasksEdt);
    saveText("WildcardsMasks", MatchWildcardsEdt);
    for (QComboBox* list : {UpdateEachCBx, static_cast<QComboBox*>(FontsCBx), FontSizeCBx,
                            Group1SoundCBx, Group2SoundCBx, Group3SoundCBx})
        attempt([&] { SaveFormState(list, store_); });
    attempt([&] { store_.WriteSetting("StayOnTop", StayOnTopChk->isChecked() ? "1" : "0"); });
    if (failure)
        throw *failure;
}

void TOptionsFrm::FormShow() {
    CentreOnScreen();
    ApplyEnabling();
    if (PageControl->currentWidget() == AutoOpenCloseTab && LogFolderEdt->text().isEmpty())
        LogFolderEdt->setFocus();
    NeedsReload = FontChanged = AutoOpenChanged = false;
}

// In the middle of the main window's screen, wherever the window stands (Qt
// would centre a dialog over its parent).
void TOptionsFrm::CentreOnScreen() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame(QPoint(), frameGeometry().size());
    move(screen->availableGeometry().center() - frame.center());
}

void TOptionsFrm::FormClose(int result) {
    if (result == QDialog::Accepted)
        SaveSettings();
    else
        RestoreSnapshot();
}

void TOptionsFrm::PrepareExecute() {
    SaveError.reset();
    TakeSnapshot();
    FormShow();
}

void TOptionsFrm::FinishExecute(int result) {
    try {
        FormClose(result);
    } catch (const SettingsError& e) {
        // The controls already hold the accepted settings: the Ok stands.
        SaveError = e.what();
    }
}

int TOptionsFrm::Execute() {
    PrepareExecute();
    const int result = exec();
    FinishExecute(result);
    return result;
}

void TOptionsFrm::TakeSnapshot() {
    snapshot_.clear();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            snapshot_.emplace_back(w, edit->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(w);
                 button && (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)))
            snapshot_.emplace_back(w, button->isChecked());
        else if (auto* list = qobject_cast<QComboBox*>(w))
            snapshot_.emplace_back(w, list->currentIndex());
    }
}

void TOptionsFrm::RestoreSnapshot() {
    const bool reload = NeedsReload, font = FontChanged, autoOpen = AutoOpenChanged;
    for (const auto& [w, value] : snapshot_) {
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->text() != value.toString())
                edit->setText(value.toString());
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            if (value.toBool()) // checking one unchecks its neighbours
                radio->setChecked(true);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(value.toBool());
        } else if (auto* list = qobject_cast<QComboBox*>(w)) {
            selectQuietly(list, value.toInt());
        }
    }
    NeedsReload = reload;
    FontChanged = font;
    AutoOpenChanged = autoOpen;
}

void TOptionsFrm::ShowLineNumbersChkClick() {
    if (ShowLineNumbersChk->isChecked() && ShowLineTimeChk->isChecked())
        ShowLineTimeChk->setChecked(false);
    LogLineTimeMaskCbx->setEnabled(ShowLineTimeChk->isChecked());
}

void TOptionsFrm::ShowLineTimeChkClick() {
    if (ShowLineTimeChk->isChecked() && ShowLineNumbersChk->isChecked())
        ShowLineNumbersChk->setChecked(false);
    LogLineTimeMaskCbx->setEnabled(ShowLineTimeChk->isChecked());
}

void TOptionsFrm::MatchMaskChkClick() {
    FileMasksEdt->setEnabled(MatchMaskChk->isChecked());
    SetAutoOpenChanged();
}

void TOptionsFrm::MatchWildcardsChkClick() {
    MatchWildcardsEdt->setEnabled(MatchWildcardsChk->isChecked());
    SetAutoOpenChanged();
}

void TOptionsFrm::UpdatingChangedClick() {
    UpdateEachCBx->setEnabled(UpdateForcedRdo->isChecked());
}

void TOptionsFrm::DoTestBeep(QObject* sender) {
    for (QComboBox* list : {Group1SoundCBx, Group2SoundCBx, Group3SoundCBx}) {
        if (sender == list) {
            PlaySoundChoice(list->currentIndex(), sound_);
            return;
        }
    }
}

void TOptionsFrm::BrowseBtnClick() {
    const QString text = LogFolderEdt->text();
    // The split works on UTF-8 bytes; ";" is one byte, so only the caret
    // needs converting.
    const std::size_t caret = text.left(LogFolderEdt->cursorPosition()).toStdString().size();
    const FolderListParts parts = SplitFolderList(text.toStdString(), caret);
    if (!BrowseFolder)
        return;
    const std::optional<QString> chosen = BrowseFolder(QString::fromStdString(parts.current));
    if (!chosen)
        return;
    LogFolderEdt->setText(
        QString::fromStdString(JoinFolderList(parts.before, chosen->toStdString(), parts.after)));
    SetNeedsReload();
}

void TOptionsFrm::HelpBtnClick() {
    if (ShowHelp)
        ShowHelp("Options.htm");
}

bool TOptionsFrm::eventFilter(QObject* watched, QEvent* event) {
    // Only a click into the date masks counts as a change; typing does not.
    if (watched == FileMasksEdt && event->type() == QEvent::MouseButtonPress)
        SetAutoOpenChanged();
    return QDialog::eventFilter(watched, event);
}

void TOptionsFrm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // no key closes the dialog
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace marrowlight
