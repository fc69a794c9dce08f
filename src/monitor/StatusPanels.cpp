#include "monitor/StatusPanels.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace marrowlight {

ElidingStatusPanel::ElidingStatusPanel(QWidget* parent) : QLabel(parent) {}

void ElidingStatusPanel::SetText(const QString& text) {
    setText(text);
    UpdateToolTip();
}

QRect ElidingStatusPanel::TextRect() const {
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

bool ElidingStatusPanel::Elided() const {
    return fontMetrics().horizontalAdvance(text()) > TextRect().width();
}

QSize ElidingStatusPanel::minimumSizeHint() const {
    // Room for an ellipsis, however long the text.
    const int width =
        fontMetrics().horizontalAdvance(QStringLiteral("W\u2026")) + 2 * (margin() + frameWidth());
    return {width, QLabel::minimumSizeHint().height()};
}

void ElidingStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = TextRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}

void ElidingStatusPanel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    UpdateToolTip();
}

void ElidingStatusPanel::UpdateToolTip() {
    const QString tip = Elided() ? text() : QString();
    if (toolTip() != tip)
        setToolTip(tip);
}

StatusBarPanels::StatusBarPanels(const std::array<QLabel*, 4>& panels, QWidget* statusBar)
    : panels_(panels), statusBar_(statusBar) {}

void StatusBarPanels::Show(int panel, const QString& text) {
    // Each pass shows the texts again, mostly the same ones.
    if (panel < 0 || panel >= 4 || !panels_[panel] || panels_[panel]->text() == text)
        return;
    if (auto* eliding = qobject_cast<ElidingStatusPanel*>(panels_[panel]))
        eliding->SetText(text);
    else
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
