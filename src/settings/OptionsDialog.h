#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace marrowlight {

class ColorListBox;
class FontListBox;
class SettingsStore;
class SoundOutput;

// The pages of the dialog's TabWidget.
enum class OptionsPage { Groups, DisplayOptions, AutoOpenClose, Advanced };

// Runs a dialog's modal loop and gives its result; QDialog::exec by default.
using ModalRunner = std::function<int(QDialog& dialog)>;

// The Options dialog. Its controls are the live settings of the whole program:
// other code reads them at the moment it needs a value and keeps no copy.
// While the dialog is open, the settings in force are those it opened with:
// logs go on being followed meanwhile, and what the person edits counts only
// once Ok closes it. Readers get them through the ...InForce accessors.
// Created once at start-up (defaults, then the stored settings) and reused.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(SettingsStore& store, SoundOutput& sound, bool stayOnTopSwitchGiven,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    QTabWidget* TabWidget = nullptr;
    QWidget *GroupsTab = nullptr, *DisplayOptionsTab = nullptr, *AutoOpenCloseTab = nullptr,
            *AdvancedTab = nullptr;
    QPushButton *OkButton = nullptr, *CancelButton = nullptr, *HelpButton = nullptr;

    // "Groups"
    QLineEdit *Group1NameField = nullptr, *Group2NameField = nullptr, *Group3NameField = nullptr;
    QLineEdit *Group1KeywordsField = nullptr, *Group2KeywordsField = nullptr,
              *Group3KeywordsField = nullptr;
    ColorListBox *Group1ColorList = nullptr, *Group2ColorList = nullptr, *Group3ColorList = nullptr;
    QComboBox *Group1SoundList = nullptr, *Group2SoundList = nullptr, *Group3SoundList = nullptr;
    QCheckBox *Group1RegexBox = nullptr, *Group2RegexBox = nullptr, *Group3RegexBox = nullptr;
    // "Display"
    QCheckBox *ShowLineTimeBox = nullptr, *ShowLineNumbersBox = nullptr,
              *LastEntriesAtTopBox = nullptr;
    QComboBox* LineTimeFormatList = nullptr;
    QRadioButton *AllLogLinesButton = nullptr, *AddedLogLinesButton = nullptr;
    FontListBox* FontList = nullptr;
    QComboBox* FontSizeList = nullptr; // FontSizeList->currentText().toInt() is never 0
    // "Automated Open && Close"
    QLineEdit* LogFolderField = nullptr;
    QPushButton* BrowseButton = nullptr;
    QCheckBox *MatchMaskBox = nullptr, *MatchWildcardsBox = nullptr, *MatchDateBox = nullptr;
    QLineEdit *FileMasksField = nullptr, *WildcardMasksField = nullptr;
    // "Advanced"
    QRadioButton *UpdateOnChangeButton = nullptr, *UpdateForcedButton = nullptr;
    QComboBox* UpdateEachList = nullptr; // index 0..6, never -1
    QCheckBox *StayOnTopBox = nullptr, *RestoreWindowBox = nullptr;

    // What changed while the dialog was open; cleared each time it is shown.
    bool NeedsReload = false, FontChanged = false, AutoOpenChanged = false;
    // Why the last Ok could not store every setting. The dialog still closes
    // as Ok, since its controls hold the accepted settings; the caller applies
    // them and then reports this. Cleared each time the dialog is shown.
    std::optional<std::string> SaveError;

    // The controls of display group g (1..3); all null for any other g.
    struct GroupControls {
        QLineEdit* NameField = nullptr;
        QLineEdit* KeywordsField = nullptr;
        ColorListBox* ColorList = nullptr;
        QComboBox* SoundList = nullptr;
        QCheckBox* RegexBox = nullptr;
    };
    GroupControls Group(int g) const;

    // Plays the sound selected in one of the three sound lists; any other
    // sender plays nothing.
    void PlaySelectedSound(QObject* sender);
    // Plays the sound in force for display group g (1..3), as its alert.
    void PlayGroupSound(int g);

    // Between PrepareExecute and FinishExecute.
    bool IsOpen() const { return open_; }
    // A control's value in force: as the control holds it, or while the
    // dialog is open, as it held it when the dialog opened.
    bool CheckedInForce(const QAbstractButton* button) const;
    QString TextInForce(const QLineEdit* field) const;
    int IndexInForce(const QComboBox* list) const;
    QString ItemTextInForce(const QComboBox* list) const;
    // Shows the dialog modally. On Ok the settings are saved; on any other
    // close every control goes back to the value it had when shown. Given a
    // page, the dialog opens on it and returns to the page it showed before.
    int Execute(std::optional<OptionsPage> page = std::nullopt, const ModalRunner& run = {});
    QWidget* Page(OptionsPage page) const;
    // Execute() in two steps, for callers and tests that drive the modal loop.
    void PrepareExecute();
    void FinishExecute(int result);

    std::function<void(const QString& topic)> ShowHelp;
    // Asks for a folder, starting at the given one; nullopt when cancelled.
    // Defaults to the folder browse dialog.
    std::function<std::optional<QString>(const QString& initialFolder)> BrowseFolder;
    // Why a group's keywords, read as regular expressions, cannot be used;
    // nullopt when they can. Ok is refused while one group's cannot. Unset,
    // every list is taken.
    std::function<std::optional<std::string>(const std::string& keywords)> CheckRegexKeywords;
    // Ok's check: shows why each refused group's keywords cannot be used and
    // puts the focus on the first; true when every group's can.
    bool CheckGroupKeywords();

    void LoadSettings();
    void SaveSettings();

    // Handlers, public so that their effects can be driven directly.
    void ApplyLineNumbersChoice();
    void ApplyLineTimeChoice();
    void ApplyMatchMaskChoice();
    void ApplyMatchWildcardsChoice();
    void ApplyUpdateModeChoice();
    void ApplyStayOnTopChoice() {}
    void SetNeedsReload() { NeedsReload = true; }
    void SetFontChanged() { FontChanged = true; }
    void SetAutoOpenChanged() { AutoOpenChanged = true; }
    void BrowseForFolder();
    void ShowOptionsHelp();

    // Closes as Ok only when CheckGroupKeywords passes.
    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateContents();
    void PrepareShow();
    void HandleClose(int result);
    void CentreOnScreen();
    void ApplyEnabling();
    void BuildPages();
    void ConnectHandlers();
    void LoadNamedText(const char* name, QLineEdit* edit);
    void LoadListControl(QComboBox* list, int defaultIndex);
    int DefaultFontIndex() const;
    void TakeSnapshot();
    void RestoreSnapshot();
    // The control's value when the dialog opened; null while it is closed.
    const QVariant* OpeningValue(const QWidget* control) const;

    SettingsStore& store_;
    SoundOutput& sound_;
    bool stayOnTopSwitchGiven_;
    // What the controls held when the dialog opened, for Cancel and for the
    // readers while it is open; snapshotIndex_ finds a control's entry.
    std::vector<std::pair<QWidget*, QVariant>> snapshot_;
    QHash<const QWidget*, std::size_t> snapshotIndex_;
    bool open_ = false;
};

} // namespace marrowlight
