#include "settings/OptionsDialog.h"

#include "settings/AdvancedPage.h"
#include "settings/AutoOpenClosePage.h"
#include "settings/ColorListBox.h"
#include "settings/DisplayPage.h"
#include "settings/FolderBrowseDialog.h"
#include "settings/FontListBox.h"
#include "settings/FormState.h"
#include "settings/GroupsPage.h"
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

OptionsDialog::OptionsDialog(SettingsStore& store, SoundOutput& sound, bool stayOnTopSwitchGiven,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      store_(store), sound_(sound), stayOnTopSwitchGiven_(stayOnTopSwitchGiven) {
    setObjectName("OptionsFrm");
    setWindowTitle("Options");
    BrowseFolder = [this](const QString& initial) {
        return FolderBrowseDialog::Browse(this, initial);
    };
    BuildPages();
    ConnectHandlers();
    CreateContents();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::BuildPages() {
    TabWidget = new QTabWidget(this);
    TabWidget->setObjectName("PageControl");
    auto* groups = new GroupsPage;
    auto* display = new DisplayPage;
    auto* autoOpen = new AutoOpenClosePage;
    auto* advanced = new AdvancedPage;
    TabWidget->addTab(groups, "Groups");
    TabWidget->addTab(display, "Display");
    TabWidget->addTab(autoOpen, "Automated Open && Close");
    TabWidget->addTab(advanced, "Advanced");
    GroupsTab = groups;
    DisplayOptionsTab = display;
    AutoOpenCloseTab = autoOpen;
    AdvancedTab = advanced;

    QLineEdit** names[] = {&Group1NameField, &Group2NameField, &Group3NameField};
    QLineEdit** keywords[] = {&Group1KeywordsField, &Group2KeywordsField, &Group3KeywordsField};
    ColorListBox** colors[] = {&Group1ColorList, &Group2ColorList, &Group3ColorList};
    QComboBox** sounds[] = {&Group1SoundList, &Group2SoundList, &Group3SoundList};
    QCheckBox** regex[] = {&Group1RegexBox, &Group2RegexBox, &Group3RegexBox};
    for (int g = 0; g < 3; ++g) {
        *regex[g] = groups->RegexBox[g];
        *names[g] = groups->NameField[g];
        *keywords[g] = groups->KeywordsField[g];
        *colors[g] = groups->ColorList[g];
        *sounds[g] = groups->SoundList[g];
    }
    ShowLineTimeBox = display->ShowLineTimeBox;
    ShowLineNumbersBox = display->ShowLineNumbersBox;
    LastEntriesAtTopBox = display->LastEntriesAtTopBox;
    LineTimeFormatList = display->LineTimeFormatList;
    AllLogLinesButton = display->AllLogLinesButton;
    AddedLogLinesButton = display->AddedLogLinesButton;
    FontList = display->FontList;
    FontSizeList = display->FontSizeList;
    LogFolderField = autoOpen->LogFolderField;
    BrowseButton = autoOpen->BrowseButton;
    MatchMaskBox = autoOpen->MatchMaskBox;
    MatchWildcardsBox = autoOpen->MatchWildcardsBox;
    MatchDateBox = autoOpen->MatchDateBox;
    FileMasksField = autoOpen->FileMasksField;
    WildcardMasksField = autoOpen->WildcardMasksField;
    UpdateOnChangeButton = advanced->UpdateOnChangeButton;
    UpdateForcedButton = advanced->UpdateForcedButton;
    UpdateEachList = advanced->UpdateEachList;
    StayOnTopBox = advanced->StayOnTopBox;
    RestoreWindowBox = advanced->RestoreWindowBox;

    auto makeButton = [this](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false); // Enter does not close the dialog
        return button;
    };
    OkButton = makeButton("Ok", "OkBtn");
    CancelButton = makeButton("Cancel", "CancelBtn");
    HelpButton = makeButton("Help", "HelpBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabWidget);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(516, 521)));
}

void OptionsDialog::ConnectHandlers() {
    auto onToggle = [this](QAbstractButton* button, void (OptionsDialog::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, handler);
    };
    // A radio button reacts when it becomes checked, as a click would.
    auto onChecked = [this](QRadioButton* radio, void (OptionsDialog::*handler)()) {
        connect(radio, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onToggle(ShowLineNumbersBox, &OptionsDialog::ApplyLineNumbersChoice);
    onToggle(ShowLineTimeBox, &OptionsDialog::ApplyLineTimeChoice);
    onToggle(MatchMaskBox, &OptionsDialog::ApplyMatchMaskChoice);
    onToggle(MatchWildcardsBox, &OptionsDialog::ApplyMatchWildcardsChoice);
    onToggle(MatchDateBox, &OptionsDialog::SetAutoOpenChanged);
    onToggle(LastEntriesAtTopBox, &OptionsDialog::SetNeedsReload);
    onToggle(StayOnTopBox, &OptionsDialog::ApplyStayOnTopChoice);
    onChecked(AllLogLinesButton, &OptionsDialog::SetNeedsReload);
    onChecked(AddedLogLinesButton, &OptionsDialog::SetNeedsReload);
    onChecked(UpdateOnChangeButton, &OptionsDialog::ApplyUpdateModeChoice);
    onChecked(UpdateForcedButton, &OptionsDialog::ApplyUpdateModeChoice);

    for (int g = 1; g <= 3; ++g) {
        connect(Group(g).KeywordsField, &QLineEdit::textChanged, this,
                &OptionsDialog::SetNeedsReload);
        onToggle(Group(g).RegexBox, &OptionsDialog::SetNeedsReload);
    }
    for (QLineEdit* edit : {LogFolderField, WildcardMasksField})
        connect(edit, &QLineEdit::textChanged, this, &OptionsDialog::SetAutoOpenChanged);
    FileMasksField->installEventFilter(this);

    // Program selections are made with signals blocked, so these fire only
    // for the user's choices.
    for (QComboBox* list : {static_cast<QComboBox*>(FontList), FontSizeList})
        connect(list, &QComboBox::currentIndexChanged, this, &OptionsDialog::SetFontChanged);
    for (int g = 1; g <= 3; ++g)
        connect(Group(g).SoundList, &QComboBox::activated, this,
                [this, g] { PlaySoundChoice(Group(g).SoundList->currentIndex(), sound_); });

    connect(BrowseButton, &QPushButton::clicked, this, &OptionsDialog::BrowseForFolder);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &OptionsDialog::ShowOptionsHelp);
}

int OptionsDialog::DefaultFontIndex() const {
    int index = FontList->findText("Arial", Qt::MatchFixedString);
    if (index < 0)
        index = FontList->findText(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                                   Qt::MatchFixedString);
    if (index < 0 && FontList->count() > 0)
        index = 0;
    return index;
}

void OptionsDialog::CreateContents() {
    {
        const QSignalBlocker quiet(FontList);
        FontList->FillFamilies();
    }
    SelectQuietly(FontList, DefaultFontIndex());
    SelectQuietly(FontSizeList, DefaultFontSizeIndex);
    const int colors[] = {ColorIndex::Green, ColorIndex::Maroon, ColorIndex::Red};
    for (int g = 1; g <= 3; ++g) {
        SelectQuietly(Group(g).SoundList, 0);
        SelectQuietly(Group(g).ColorList, colors[g - 1]);
    }
    SelectQuietly(UpdateEachList, 0);
    UpdateEachList->setEnabled(false);
    NeedsReload = FontChanged = AutoOpenChanged = false;
    TabWidget->setCurrentWidget(GroupsTab);
    LoadSettings();
    ApplyEnabling();
}

void OptionsDialog::ApplyEnabling() {
    FileMasksField->setEnabled(MatchMaskBox->isChecked());
    WildcardMasksField->setEnabled(MatchWildcardsBox->isChecked());
    UpdateEachList->setEnabled(UpdateForcedButton->isChecked());
    LineTimeFormatList->setEnabled(ShowLineTimeBox->isChecked());
    StayOnTopBox->setEnabled(!stayOnTopSwitchGiven_);
}

void OptionsDialog::LoadNamedText(const char* name, QLineEdit* edit) {
    try {
        if (!store_.SettingExists(name))
            return;
        const std::string text = LineBreaksToSemicolons(TrimText(store_.ReadSetting(name)));
        edit->setText(QString::fromStdString(text));
    } catch (const SettingsError&) {
        // An unreadable value keeps the control's text rather than stop start-up.
    }
}

void OptionsDialog::LoadListControl(QComboBox* list, int defaultIndex) {
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

void OptionsDialog::LoadSettings() {
    LoadFormState(this, store_);
    for (int g = 1; g <= 3; ++g)
        LoadNamedText(stored::GroupMasks(g), Group(g).KeywordsField);
    LoadNamedText(stored::DateTimeMasks, FileMasksField);
    LoadNamedText(stored::WildcardsMasks, WildcardMasksField);
    LoadListControl(UpdateEachList, 0);
    LoadListControl(FontList, DefaultFontIndex());
    LoadListControl(FontSizeList, DefaultFontSizeIndex);
    for (int g = 1; g <= 3; ++g)
        LoadListControl(Group(g).SoundList, 0);
}

void OptionsDialog::SaveSettings() {
    SettingsWrites writes;
    auto saveText = [&](const char* name, const QLineEdit* edit) {
        writes.Write(store_, name, edit->text().toStdString());
    };
    writes.Attempt([&] { SaveFormState(this, store_); });
    for (int g = 1; g <= 3; ++g)
        saveText(stored::GroupMasks(g), Group(g).KeywordsField);
    saveText(stored::DateTimeMasks, FileMasksField);
    saveText(stored::WildcardsMasks, WildcardMasksField);
    for (QComboBox* list : {UpdateEachList, static_cast<QComboBox*>(FontList), FontSizeList})
        writes.Attempt([&] { SaveFormState(list, store_); });
    for (int g = 1; g <= 3; ++g)
        writes.Attempt([&] { SaveFormState(Group(g).SoundList, store_); });
    writes.Write(store_, stored::StayOnTop, EncodeOnOff(StayOnTopBox->isChecked()));
    writes.ThrowFirstFailure();
}

void OptionsDialog::PrepareShow() {
    CentreOnScreen();
    ApplyEnabling();
    if (TabWidget->currentWidget() == AutoOpenCloseTab && LogFolderField->text().isEmpty())
        LogFolderField->setFocus();
    NeedsReload = FontChanged = AutoOpenChanged = false;
}

// In the middle of the main window's screen, wherever the window stands (Qt
// would centre a dialog over its parent).
void OptionsDialog::CentreOnScreen() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame(QPoint(), frameGeometry().size());
    move(screen->availableGeometry().center() - frame.center());
}

void OptionsDialog::HandleClose(int result) {
    if (result == QDialog::Accepted)
        SaveSettings();
    else
        RestoreSnapshot();
}

bool OptionsDialog::CheckGroupKeywords() {
    auto* page = qobject_cast<GroupsPage*>(GroupsTab);
    QLineEdit* first = nullptr;
    for (int g = 1; g <= 3; ++g) {
        const GroupControls group = Group(g);
        std::optional<std::string> problem;
        if (CheckRegexKeywords && group.RegexBox->isChecked())
            problem = CheckRegexKeywords(group.KeywordsField->text().toStdString());
        if (page)
            page->ShowKeywordsProblem(g - 1,
                                      problem ? QString::fromStdString(*problem) : QString());
        if (problem && !first)
            first = group.KeywordsField;
    }
    if (!first)
        return true;
    TabWidget->setCurrentWidget(GroupsTab);
    first->setFocus();
    return false;
}

void OptionsDialog::accept() {
    if (CheckGroupKeywords())
        QDialog::accept();
}

void OptionsDialog::PrepareExecute() {
    SaveError.reset();
    if (auto* page = qobject_cast<GroupsPage*>(GroupsTab))
        for (int g = 0; g < 3; ++g)
            page->ShowKeywordsProblem(g, {});
    TakeSnapshot();
    open_ = true;
    PrepareShow();
}

void OptionsDialog::FinishExecute(int result) {
    // Ok's values are in force from here on, Cancel's restored ones too.
    open_ = false;
    try {
        HandleClose(result);
    } catch (const SettingsError& e) {
        // The controls already hold the accepted settings: the Ok stands.
        SaveError = e.what();
    }
}

QWidget* OptionsDialog::Page(OptionsPage page) const {
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

int OptionsDialog::Execute(std::optional<OptionsPage> page, const ModalRunner& run) {
    // Set before showing: PrepareShow puts the focus by the page it finds.
    struct PageRestore {
        QTabWidget* pages;
        QWidget* previous;
        ~PageRestore() {
            if (previous)
                pages->setCurrentWidget(previous);
        }
    } restore{TabWidget, page ? TabWidget->currentWidget() : nullptr};
    if (page)
        TabWidget->setCurrentWidget(Page(*page));
    PrepareExecute();
    const int result = run ? run(*this) : exec();
    FinishExecute(result);
    return result;
}

void OptionsDialog::TakeSnapshot() {
    snapshot_.clear();
    snapshotIndex_.clear();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            snapshot_.emplace_back(w, edit->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(w);
                 button && (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)))
            snapshot_.emplace_back(w, button->isChecked());
        else if (auto* list = qobject_cast<QComboBox*>(w))
            snapshot_.emplace_back(w, list->currentIndex());
        else
            continue;
        snapshotIndex_.insert(w, snapshot_.size() - 1);
    }
}

const QVariant* OptionsDialog::OpeningValue(const QWidget* control) const {
    if (!open_)
        return nullptr;
    const auto found = snapshotIndex_.constFind(control);
    return found == snapshotIndex_.constEnd() ? nullptr : &snapshot_[*found].second;
}

bool OptionsDialog::CheckedInForce(const QAbstractButton* button) const {
    const QVariant* value = OpeningValue(button);
    return value ? value->toBool() : button->isChecked();
}

QString OptionsDialog::TextInForce(const QLineEdit* field) const {
    const QVariant* value = OpeningValue(field);
    return value ? value->toString() : field->text();
}

int OptionsDialog::IndexInForce(const QComboBox* list) const {
    const QVariant* value = OpeningValue(list);
    return value ? value->toInt() : list->currentIndex();
}

QString OptionsDialog::ItemTextInForce(const QComboBox* list) const {
    return list->itemText(IndexInForce(list));
}

void OptionsDialog::RestoreSnapshot() {
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

void OptionsDialog::ApplyLineNumbersChoice() {
    if (ShowLineNumbersBox->isChecked() && ShowLineTimeBox->isChecked())
        ShowLineTimeBox->setChecked(false);
    LineTimeFormatList->setEnabled(ShowLineTimeBox->isChecked());
}

void OptionsDialog::ApplyLineTimeChoice() {
    if (ShowLineTimeBox->isChecked() && ShowLineNumbersBox->isChecked())
        ShowLineNumbersBox->setChecked(false);
    LineTimeFormatList->setEnabled(ShowLineTimeBox->isChecked());
}

void OptionsDialog::ApplyMatchMaskChoice() {
    FileMasksField->setEnabled(MatchMaskBox->isChecked());
    SetAutoOpenChanged();
}

void OptionsDialog::ApplyMatchWildcardsChoice() {
    WildcardMasksField->setEnabled(MatchWildcardsBox->isChecked());
    SetAutoOpenChanged();
}

void OptionsDialog::ApplyUpdateModeChoice() {
    UpdateEachList->setEnabled(UpdateForcedButton->isChecked());
}

OptionsDialog::GroupControls OptionsDialog::Group(int g) const {
    switch (g) {
    case 1:
        return {Group1NameField, Group1KeywordsField, Group1ColorList, Group1SoundList,
                Group1RegexBox};
    case 2:
        return {Group2NameField, Group2KeywordsField, Group2ColorList, Group2SoundList,
                Group2RegexBox};
    case 3:
        return {Group3NameField, Group3KeywordsField, Group3ColorList, Group3SoundList,
                Group3RegexBox};
    default:
        return {};
    }
}

// A preview of the choice on screen, not of the one in force.
void OptionsDialog::PlaySelectedSound(QObject* sender) {
    for (int g = 1; g <= 3; ++g) {
        if (const QComboBox* list = Group(g).SoundList; sender && sender == list) {
            PlaySoundChoice(list->currentIndex(), sound_);
            return;
        }
    }
}

void OptionsDialog::PlayGroupSound(int g) {
    if (const QComboBox* list = Group(g).SoundList)
        PlaySoundChoice(IndexInForce(list), sound_);
}

void OptionsDialog::BrowseForFolder() {
    const QString text = LogFolderField->text();
    // The split works on UTF-8 bytes; ";" is one byte, so only the caret
    // needs converting.
    const std::size_t caret = text.left(LogFolderField->cursorPosition()).toStdString().size();
    const FolderListParts parts = SplitFolderList(text.toStdString(), caret);
    if (!BrowseFolder)
        return;
    const std::optional<QString> chosen = BrowseFolder(QString::fromStdString(parts.current));
    if (!chosen)
        return;
    LogFolderField->setText(
        QString::fromStdString(JoinFolderList(parts.before, chosen->toStdString(), parts.after)));
    SetNeedsReload();
}

void OptionsDialog::ShowOptionsHelp() {
    if (ShowHelp)
        ShowHelp("Options.htm");
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    // Only a click into the date masks counts as a change; typing does not.
    if (watched == FileMasksField && event->type() == QEvent::MouseButtonPress)
        SetAutoOpenChanged();
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) { // no key closes the dialog
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace marrowlight
