#pragma once

#include <QColor>
#include <QString>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace marrowlight {

class OptionsDialog;

// The settings of one display group, from the "Groups" page. A group number
// outside 1..3 reads as empty text and black, and plays nothing.
class GroupOptions {
  public:
    // Group<g>NameField: the group's caption in the View menu.
    QString Name() const;
    // Group<g>KeywordsField as UTF-8: keywords separated by ";".
    std::string Keywords() const;
    // Group<g>RegexBox: each keyword is a regular expression.
    bool RegularExpressions() const;
    // The colour of the entry selected in Group<g>ColorList; black when none.
    QColor Colour() const;
    // Sounds the group's alert: the entry selected in Group<g>SoundList.
    void PlayAlert() const;
    // Group<g>NotifyBox: lines of the group bring a desktop notification.
    bool Notifies() const;

  private:
    friend class OptionsView;
    GroupOptions(OptionsDialog& options, int g) : options_(&options), group_(g) {}

    OptionsDialog* options_;
    int group_;
};

// The Options dialog's controls as typed settings, for every reader outside
// the settings subsystem. Each call reads the control at that moment and
// nothing is copied: the controls stay the one settings model. While the
// dialog is open, a call answers what the control held when it opened: the
// settings in force until Ok.
class OptionsView {
  public:
    explicit OptionsView(OptionsDialog& options) : options_(&options) {}

    GroupOptions Group(int g) const { return {*options_, g}; }

    // "Display"
    bool ShowLineNumbers() const;
    bool ShowLineTime() const;
    // The date-time format of the line time ("hh:mm:ss" or "dd-hh:mm").
    QString LineTimeMask() const;
    bool LastEntriesAtTop() const;
    bool AllLogLines() const;
    bool AddedLogLinesOnly() const;
    QString FontFace() const;
    int FontSize() const; // in points, never 0

    // "Automated Open & Close"; lists as UTF-8, entries separated by ";".
    std::string LogFolders() const;
    bool MatchMask() const;
    std::string FileMasks() const; // date masks
    bool MatchWildcards() const;
    std::string WildcardMasks() const;
    bool MatchDate() const;

    // "Advanced"
    // Logs are read when their time stamp changes, polled often.
    bool UpdateOnTimeStampChange() const;
    // Logs are read at the interval chosen in "Update each:".
    bool UpdateForced() const;
    // How often logs are polled, in either mode.
    std::chrono::milliseconds PollingInterval() const;
    bool StayOnTop() const;
    bool RestoreWindow() const;
    // Asked for and offered: the desktop has a tray.
    bool ShowInTray() const;
    bool ReopenSessionAtStart() const;

    // What the dialog's last showing changed, and why its last Ok could not
    // store every setting.
    bool NeedsReload() const;
    bool FontChanged() const;
    bool AutoOpenChanged() const;
    std::optional<std::string> SaveError() const;

    // A command-line switch setting the check box of that object name, as a
    // click would, so rules such as "line numbers or time, not both" hold.
    // False when the dialog has no such check box.
    bool SetCheck(std::string_view controlName, bool on) const;
    // The same for an edit's text.
    bool SetText(std::string_view controlName, const std::string& text) const;

  private:
    OptionsDialog* options_;
};

} // namespace marrowlight
