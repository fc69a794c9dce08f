#pragma once

#include "support/core/SizeGripGeometry.h"

#include <QCursor>
#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QMouseEvent;
class QPainter;
class QWidget;

namespace marrowlight {

// Paints a size grip into the bottom-right corner of a widget and lets a
// press on it resize the widget. It has no widget of its own: it filters the
// target's events, so it paints under the target's children exactly like the
// target's own drawing, and adds nothing to the target's child widgets.
class SizeGrip : public QObject {
    Q_OBJECT
  public:
    // A widget owner becomes the target.
    explicit SizeGrip(QObject* owner);
    ~SizeGrip() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    QWidget* TargetControl() const { return target_; }
    void SetTargetControl(QWidget* value);

    SizeGripStyle Style() const { return style_; }
    void SetStyle(SizeGripStyle value);

    bool IsAttached() const { return attached_; }
    // In the target's coordinates; empty while detached.
    QRect GripRect() const { return gripRect_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual QRect GetGripRect() const;
    virtual void PaintGrip(QPainter& painter, const QRect& rect);

  private:
    void AttachToTarget();
    void DetachFromTarget();
    void UpdateGrip();
    void InvalidateGrip();
    void TargetDestroyed();

    bool MousePress(QMouseEvent* event);
    bool MouseMove(QMouseEvent* event);
    bool MouseRelease(QMouseEvent* event);
    void ShowGripCursor(bool over);

    bool enabled_ = true;
    SizeGripStyle style_ = SizeGripStyle::sgsClassic;
    QWidget* target_ = nullptr;
    bool attached_ = false;
    QRect gripRect_;
    QMetaObject::Connection destroyedConnection_;

    bool savedMouseTracking_ = false;
    bool cursorShown_ = false;
    bool targetHadCursor_ = false;
    QCursor savedCursor_;

    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QSize dragStartSize_;
};

} // namespace marrowlight
