#include "support/SizeGrip.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace marrowlight {

namespace {

Rgb ToRgb(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return {static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
            static_cast<std::uint8_t>(rgb.blue())};
}

QColor ToColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

SizeGrip::SizeGrip(QObject* owner) : QObject(owner) {
    if (auto* widget = qobject_cast<QWidget*>(owner))
        SetTargetControl(widget);
}

SizeGrip::~SizeGrip() {
    QObject::disconnect(destroyedConnection_);
    // A grip owned by its target is deleted from inside the target's
    // destructor, where a direct repaint request could outlive the widget;
    // a queued one is dropped together with the target's pending events.
    if (attached_ && target_ && !gripRect_.isEmpty()) {
        QMetaObject::invokeMethod(
            target_, [t = target_, r = gripRect_] { t->update(r); }, Qt::QueuedConnection);
        gripRect_ = QRect();
    }
    DetachFromTarget();
    target_ = nullptr;
}

void SizeGrip::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    DetachFromTarget();
    enabled_ = value;
    AttachToTarget();
}

void SizeGrip::SetTargetControl(QWidget* value) {
    if (value == target_)
        return;
    QObject::disconnect(destroyedConnection_);
    DetachFromTarget();
    target_ = value;
    AttachToTarget();
    if (target_)
        destroyedConnection_ =
            connect(target_, &QObject::destroyed, this, &SizeGrip::TargetDestroyed);
}

void SizeGrip::SetStyle(SizeGripStyle value) {
    if (value == style_)
        return;
    style_ = value;
    InvalidateGrip();
}

void SizeGrip::AttachToTarget() {
    if (attached_ || !target_ || !enabled_)
        return;
    savedMouseTracking_ = target_->hasMouseTracking();
    target_->setMouseTracking(true); // to show the sizing cursor over the grip
    target_->installEventFilter(this);
    attached_ = true;
    UpdateGrip();
}

void SizeGrip::DetachFromTarget() {
    if (!attached_)
        return;
    target_->removeEventFilter(this);
    ShowGripCursor(false);
    target_->setMouseTracking(savedMouseTracking_);
    attached_ = false;
    dragging_ = false;
    InvalidateGrip();
    gripRect_ = QRect();
}

void SizeGrip::TargetDestroyed() {
    // The widget part is gone already: forget it without touching it.
    target_ = nullptr;
    attached_ = false;
    dragging_ = false;
    cursorShown_ = false;
    gripRect_ = QRect();
}

QRect SizeGrip::GetGripRect() const {
    if (!target_)
        return QRect();
    const GripBox box = GripBoxFor(target_->width(), target_->height());
    if (box.IsEmpty())
        return QRect();
    return QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1));
}

void SizeGrip::UpdateGrip() {
    gripRect_ = GetGripRect();
    InvalidateGrip();
}

void SizeGrip::InvalidateGrip() {
    if (target_ && !gripRect_.isEmpty())
        target_->update(gripRect_);
}

void SizeGrip::PaintGrip(QPainter& painter, const QRect& rect) {
    const QPalette& palette = target_->palette();
    const QColor highlight = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    const QColor mid =
        ToColor(MidShade(ToRgb(palette.color(target_->backgroundRole())), ToRgb(shadow)));
    const GripBox box{rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height()};
    for (const GripPixel& pixel : GripPixels(style_, box)) {
        const QColor& colour = pixel.shade == GripShade::Shadow ? shadow
                               : pixel.shade == GripShade::Mid  ? mid
                                                                : highlight;
        painter.fillRect(QRect(pixel.x, pixel.y, 1, 1), colour);
    }
}

bool SizeGrip::eventFilter(QObject* watched, QEvent* event) {
    if (!attached_ || watched != target_)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        InvalidateGrip();
        UpdateGrip();
        return false;
    case QEvent::Paint: {
        // Let the target draw itself first so the grip ends up on top.
        static_cast<QObject*>(target_)->event(event);
        QPainter painter(target_);
        PaintGrip(painter, gripRect_);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return MousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return MouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return MouseRelease(static_cast<QMouseEvent*>(event));
    case QEvent::Leave:
        if (!dragging_)
            ShowGripCursor(false);
        return false;
    default:
        return false;
    }
}

bool SizeGrip::MousePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !gripRect_.contains(event->position().toPoint()))
        return false;
    if (target_->isWindow()) {
        QWindow* window = target_->windowHandle();
        if (window && window->startSystemResize(Qt::BottomEdge | Qt::RightEdge))
            return true;
    }
    // No system resize here (child widget, or a platform without it): follow
    // the mouse ourselves until the button is released.
    dragging_ = true;
    dragStartGlobal_ = event->globalPosition().toPoint();
    dragStartSize_ = target_->size();
    return true;
}

bool SizeGrip::MouseMove(QMouseEvent* event) {
    if (!dragging_) {
        ShowGripCursor(gripRect_.contains(event->position().toPoint()));
        return false;
    }
    const QPoint delta = event->globalPosition().toPoint() - dragStartGlobal_;
    target_->resize(dragStartSize_ + QSize(delta.x(), delta.y()));
    return true;
}

bool SizeGrip::MouseRelease(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return false;
    dragging_ = false;
    ShowGripCursor(gripRect_.contains(event->position().toPoint()));
    return true;
}

void SizeGrip::ShowGripCursor(bool over) {
    if (over == cursorShown_ || !target_)
        return;
    cursorShown_ = over;
    if (over) {
        targetHadCursor_ = target_->testAttribute(Qt::WA_SetCursor);
        savedCursor_ = target_->cursor();
        target_->setCursor(Qt::SizeFDiagCursor);
    } else if (targetHadCursor_) {
        target_->setCursor(savedCursor_);
    } else {
        target_->unsetCursor();
    }
}

} // namespace marrowlight
