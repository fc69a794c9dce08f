#pragma once

#include "monitor/LineDrawer.h"
#include "monitor/core/ViewSettings.h"
#include "settings/OptionsView.h"

namespace marrowlight {

class MenuChecks;

// The settings the monitor and the drawing ask for, answered at each call
// from the Options dialog's controls and the View menu's check marks.
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

    bool RestoreWindow() const;
    bool KeepModifiedLogFocused() const;
    bool OpenCloseLogsAutomatically() const;
    bool WrapLongLines() const;
    QString FontFace() const;
    int FontSize() const;

  private:
    OptionsView options_;
    const MenuChecks& menu_;
};

} // namespace marrowlight
