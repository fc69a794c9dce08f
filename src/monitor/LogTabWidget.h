#pragma once

#include <QHash>
#include <QSize>
#include <QTabBar>
#include <QTabWidget>

namespace marrowlight {

// Qt's tab bar measures the text of every tab each time one tab's icon or
// caption changes, and elides the text of every tab each time it paints.
// With thousands of logs that is a stall per change; this bar remembers the
// size of each caption and leaves tabs off the bar unmeasured.
class LogTabBar : public QTabBar {
  public:
    explicit LogTabBar(QWidget* parent = nullptr) : QTabBar(parent) {}

  protected:
    QSize tabSizeHint(int index) const override;
    void initStyleOption(QStyleOptionTab* option, int index) const override;
    void changeEvent(QEvent* event) override;

  private:
    // By caption, apart for tabs with and without an icon; valid for one
    // font, style and icon size.
    mutable QHash<QString, QSize> withIcon_, withoutIcon_;
    mutable QSize iconSize_;
};

// The main window's tabs, one per log, on a LogTabBar.
class LogTabWidget : public QTabWidget {
  public:
    explicit LogTabWidget(QWidget* parent = nullptr);
};

} // namespace marrowlight
