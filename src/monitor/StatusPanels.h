#pragma once

#include <QString>
#include <array>

class QLabel;
class QWidget;

namespace marrowlight {

// The four status bar panels: last read, lines, displayed, state.
class StatusBarPanels {
  public:
    StatusBarPanels(const std::array<QLabel*, 4>& panels, QWidget* statusBar);

    void Show(int panel, const QString& text);
    void ShowAll(const QString& lastRead, const QString& lines, const QString& displayed,
                 const QString& state);
    void Clear();
    // Progress texts must appear while a long chunk keeps the event loop busy.
    void RepaintNow();
    QString Text(int panel) const;

  private:
    std::array<QLabel*, 4> panels_;
    QWidget* statusBar_;
};

} // namespace marrowlight
