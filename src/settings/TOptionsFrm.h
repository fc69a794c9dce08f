#pragma once

#include <QDialog>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The pages of the dialog's PageControl.
enum class OptionsPage { Groups, DisplayOptions, AutoOpenClose, Advanced };

// Runs a dialog's modal loop and gives its result; QDialog::exec by default.
using ModalRunner = std::function<int(QDialog& dialog)>;

// The Options dialog. Its controls are the live settings of the whole program:
// other code reads them at the moment it needs a value and keeps no copy.
// Created once at start-up (defaults, then the stored settings) and reused.
class TOptionsFrm : public QDialog {
    Q_OBJECT
  public:
    TOptionsFrm(SettingsStore& store, SoundOutput& sound, bool stayOnTopSwitchGiven,
                QWidget* parent = nullptr);
    ~TOptionsFrm() override;

    QTabWidget* PageControl = nullptr;
    QWidget *GroupsTab = nullptr, *DisplayOptionsTab = nullptr, *AutoOpenCloseTab = nullptr,
            *AdvancedTab = nullptr;
    QPushButton *OkBtn = nullptr, *CancelBtn = nullptr, *HelpBtn = nullptr;

    // "Groups"
    QLineEdit *Group1NameEdt = nullptr, *Group2NameEdt = nullptr, *Group3NameEdt = nullptr;
    QLineEdit *Group1Edt = nullptr, *Group2Edt = nullptr, *Group3Edt = nullptr;
    ColorListBox *Group1ColorCBx = nullptr, *Group2ColorCBx = nullptr, *Group3ColorCBx = nullptr;
    QComboBox *Group1SoundCBx = nullptr, *Group2SoundCBx = nullptr, *Group3SoundCBx = nullptr;
    // "Display"
    QCheckBox *ShowLineTimeChk = nullptr, *ShowLineNumbersChk = nullptr,
              *LastEntriesAtTopChk = nullptr;
    QComboBox* LogLineTimeMaskCbx = nullptr;
    QRadioButton *AllLogLinesRdo = nullptr, *AddedLogLinesRdo = nullptr;
    FontListBox* FontsCBx = nullptr;
    QComboBox* FontSizeCBx = nullptr; // FontSizeCBx->currentText().toInt() is never 0
    // "Automated Open && Close"
    QLineEdit* LogFolderEdt = nullptr;
    QPushButton* BrowseBtn = nullptr;
    QCheckBox *MatchMaskChk = nullptr, *MatchWildcardsChk = nullptr, *MatchDateChk = nullptr;
    QLineEdit *FileMasksEdt = nullptr, *MatchWildcardsEdt = nullptr;
    // "Advanced"
    QRadioButton *UpdateDateTimeChangeRdo = nullptr, *UpdateForcedRdo = nullptr;
    QComboBox* UpdateEachCBx = nullptr; // index 0..6, never -1
    QCheckBox *StayOnTopChk = nullptr, *RestoreWindowChk = nullptr;

    // What changed while the dialog was open; cleared each time it is shown.
    bool NeedsReload = false, FontChanged = false, AutoOpenChanged = false;
    // Why the last Ok could not store every setting. The dialog still closes
    // as Ok, since its controls hold the accepted settings; the caller applies
    // them and then reports this. Cleared each time the dialog is shown.
    std::optional<std::string> SaveError;

    // The controls of display group g (1..3); all null for any other g.
    struct GroupControls {
        QLineEdit* NameEdt = nullptr;
        QLineEdit* Edt = nullptr;
        ColorListBox* ColorCBx = nullptr;
        QComboBox* SoundCBx = nullptr;
    };
    GroupControls Group(int g) const;

    // Plays the sound selected in one of the three sound lists; any other
    // sender plays nothing.
    void DoTestBeep(QObject* sender);
    // Plays the sound selected for display group g (1..3), as its alert.
    void PlayGroupSound(int g);
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

    void LoadSettings();
    void SaveSettings();

    // Handlers, public so that their effects can be driven directly.
    void ShowLineNumbersChkClick();
    void ShowLineTimeChkClick();
    void MatchMaskChkClick();
    void MatchWildcardsChkClick();
    void UpdatingChangedClick();
    void StayOnTopChkClick() {}
    void SetNeedsReload() { NeedsReload = true; }
    void SetFontChanged() { FontChanged = true; }
    void SetAutoOpenChanged() { AutoOpenChanged = true; }
    void BrowseBtnClick();
    void HelpBtnClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormClose(int result);
    void CentreOnScreen();
    void ApplyEnabling();
    void BuildPages();
    void ConnectHandlers();
    void LoadNamedText(const char* name, QLineEdit* edit);
    void LoadListControl(QComboBox* list, int defaultIndex);
    int DefaultFontIndex() const;
    void TakeSnapshot();
    void RestoreSnapshot();

    SettingsStore& store_;
    SoundOutput& sound_;
    bool stayOnTopSwitchGiven_;
    std::vector<std::pair<QWidget*, QVariant>> snapshot_;
};

} // namespace marrowlight
