#pragma once

#include "monitor/LineDrawer.h"
#include "monitor/core/ViewSettings.h"
#include "settings/OptionsView.h"

namespace marrowlight {

class MenuChecks;

// The settings the reader and the drawer ask for, answered at each call from
// two sources: the Options dialog's controls (through OptionsView) and the
// View menu's check marks (through MenuChecks). The reader is Qt-free and the
// drawer is tested with fakes, so neither may see the dialog or the menu;
// every other reader of a setting asks OptionsView or MenuChecks itself.
class LiveViewSettings : public ViewSettings, public LineDrawSettings {
  public:
    LiveViewSettings(const OptionsView& options, const MenuChecks& menu);

    bool AllEntries() const override;
    bool GroupShown(int g) const override;
    std::string GroupKeywords(int g) const override;
    bool GroupUsesRegex(int g) const override;
    bool LastEntriesAtTop() const override;
    bool AddedLogLinesOnly() const override;
    bool AllLogLines() const override;
    bool UpdateForced() const override;

    QColor GroupColor(int group) const override;
    bool ShowLineNumbers() const override;
    bool ShowLineTime() const override;
    QString LineTimeMask() const override;
    bool TerminalColours() const override;

  private:
    OptionsView options_;
    const MenuChecks& menu_;
};

} // namespace marrowlight
