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
#include "settings/core/OnOffValue.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/SoundChoices.h"
#include "settings/core/StoredNames.h"
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
constexpr int DefaultFontSizeIndex = 2; // "8"

void SelectQuietly(QComboBox* list, int index) {
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

    for (int g = 1; g <= 3; ++g)
        connect(Group(g).Edt, &QLineEdit::textChanged, this, &TOptionsFrm::SetNeedsReload);
    for (QLineEdit* edit : {LogFolderEdt, MatchWildcardsEdt})
        connect(edit, &QLineEdit::textChanged, this, &TOptionsFrm::SetAutoOpenChanged);
    FileMasksEdt->installEventFilter(this);

    // Program selections are made with signals blocked, so these fire only
    // for the user's choices.
    for (QComboBox* list : {static_cast<QComboBox*>(FontsCBx), FontSizeCBx})
        connect(list, &QComboBox::currentIndexChanged, this, &TOptionsFrm::SetFontChanged);
    for (int g = 1; g <= 3; ++g)
        connect(Group(g).SoundCBx, &QComboBox::activated, this, [this, g] { PlayGroupSound(g); });

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
        FontsCBx->FillFamilies();
    }
    SelectQuietly(FontsCBx, DefaultFontIndex());
    SelectQuietly(FontSizeCBx, DefaultFontSizeIndex);
    const int colors[] = {ColorIndex::Green, ColorIndex::Maroon, ColorIndex::Red};
    for (int g = 1; g <= 3; ++g) {
        SelectQuietly(Group(g).SoundCBx, 0);
        SelectQuietly(Group(g).ColorCBx, colors[g - 1]);
    }
    SelectQuietly(UpdateEachCBx, 0);
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
        SelectQuietly(list, defaultIndex);
}

void TOptionsFrm::LoadSettings() {
    LoadFormState(this, store_);
    for (int g = 1; g <= 3; ++g)
        LoadNamedText(stored::GroupMasks(g), Group(g).Edt);
    LoadNamedText(stored::DateTimeMasks, FileMasksEdt);
    LoadNamedText(stored::WildcardsMasks, MatchWildcardsEdt);
    LoadListControl(UpdateEachCBx, 0);
    LoadListControl(FontsCBx, DefaultFontIndex());
    LoadListControl(FontSizeCBx, DefaultFontSizeIndex);
    for (int g = 1; g <= 3; ++g)
        LoadListControl(Group(g).SoundCBx, 0);
}

void TOptionsFrm::SaveSettings() {
    SettingsWrites writes;
    auto saveText = [&](const char* name, const QLineEdit* edit) {
        writes.Write(store_, name, edit->text().toStdString());
    };
    writes.Attempt([&] { SaveFormState(this, store_); });
    for (int g = 1; g <= 3; ++g)
        saveText(stored::GroupMasks(g), Group(g).Edt);
    saveText(stored::DateTimeMasks, FileMasksEdt);
    saveText(stored::WildcardsMasks, MatchWildcardsEdt);
    for (QComboBox* list : {UpdateEachCBx, static_cast<QComboBox*>(FontsCBx), FontSizeCBx})
        writes.Attempt([&] { SaveFormState(list, store_); });
    for (int g = 1; g <= 3; ++g)
        writes.Attempt([&] { SaveFormState(Group(g).SoundCBx, store_); });
    writes.Write(store_, stored::StayOnTop, EncodeOnOff(StayOnTopChk->isChecked()));
    writes.ThrowFirstFailure();
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

QWidget* TOptionsFrm::Page(OptionsPage page) const {
    switch (page) {
    case OptionsPage::Groups:
        return GroupsTab;
    case OptionsPage::DisplayOptions:
        return DisplayOptionsTab;
    case OptionsPage::AutoOpenClose:
        return AutoOpenCloseTab;
    case OptionsPage::Advanced:
        return AdvancedTab;
    }
    return nullptr;
}

int TOptionsFrm::Execute(std::optional<OptionsPage> page, const ModalRunner& run) {
    // Set before showing: FormShow puts the focus by the page it finds.
    struct PageRestore {
        QTabWidget* pages;
        QWidget* previous;
        ~PageRestore() {
            if (previous)
                pages->setCurrentWidget(previous);
        }
    } restore{PageControl, page ? PageControl->currentWidget() : nullptr};
    if (page)
        PageControl->setCurrentWidget(Page(*page));
    PrepareExecute();
    const int result = run ? run(*this) : exec();
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
            SelectQuietly(list, value.toInt());
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

TOptionsFrm::GroupControls TOptionsFrm::Group(int g) const {
    switch (g) {
    case 1:
        return {Group1NameEdt, Group1Edt, Group1ColorCBx, Group1SoundCBx};
    case 2:
        return {Group2NameEdt, Group2Edt, Group2ColorCBx, Group2SoundCBx};
    case 3:
        return {Group3NameEdt, Group3Edt, Group3ColorCBx, Group3SoundCBx};
    default:
        return {};
    }
}

void TOptionsFrm::DoTestBeep(QObject* sender) {
    for (int g = 1; g <= 3; ++g) {
        if (sender && sender == Group(g).SoundCBx) {
            PlayGroupSound(g);
            return;
        }
    }
}

void TOptionsFrm::PlayGroupSound(int g) {
    if (const QComboBox* list = Group(g).SoundCBx)
        PlaySoundChoice(list->currentIndex(), sound_);
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
