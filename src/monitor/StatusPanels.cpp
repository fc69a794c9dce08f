#include "monitor/StatusPanels.h"

#include <QLabel>
#include <QWidget>

namespace marrowlight {

StatusBarPanels::StatusBarPanels(const std::array<QLabel*, 4>& panels, QWidget* statusBar)
    : panels_(panels), statusBar_(statusBar) {}

void StatusBarPanels::Show(int panel, const QString& text) {
    if (panel >= 0 && panel < 4 && panels_[panel])
        panels_[panel]->setText(text);
}

void StatusBarPanels::ShowAll(const QString& lastRead, const QString& lines,
                              const QString& displayed, const QString& state) {
    Show(0, lastRead);
    Show(1, lines);
    Show(2, displayed);
    Show(3, state);
}

void StatusBarPanels::Clear() {
    ShowAll({}, {}, {}, {});
}

void StatusBarPanels::RepaintNow() {
    if (statusBar_)
        statusBar_->repaint();
}

QString StatusBarPanels::Text(int panel) const {
    if (panel >= 0 && panel < 4 && panels_[panel])
        return panels_[panel]->text();
    return {};
}

} // namespace marrowlight
