#pragma once

#include <QLabel>
#include <QString>
#include <array>

class QWidget;

namespace marrowlight {

// The last status panel: it takes what the bar leaves and elides a text that
// does not fit, so a long state never widens the window. The whole text stays
// the panel's text (what a screen reader reads) and, while cut, its tooltip.
class ElidingStatusPanel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidingStatusPanel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    bool Elided() const;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QRect TextRect() const;
    void UpdateToolTip();
};

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
