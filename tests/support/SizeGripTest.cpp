#include "support/SizeGrip.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

const QColor Background(240, 240, 240);
const QColor Shadow(160, 160, 160);
const QColor Highlight(255, 255, 255);
const QColor Mid(200, 200, 200);

class SizeGripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QPalette palette = target.palette();
        palette.setColor(QPalette::Window, Background);
        palette.setColor(QPalette::Dark, Shadow);
        palette.setColor(QPalette::Light, Highlight);
        target.setPalette(palette);
        target.setAutoFillBackground(true);
        target.resize(60, 50);
    }

    QColor PixelAt(int x, int y) { return target.grab().toImage().pixelColor(x, y); }

    void Mouse(QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
        const QPointF global = QPointF(target.mapToGlobal(QPoint(0, 0)) + local);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }

    // Press at `from`, move by `by` in screen terms, release.
    void Drag(QPoint from, QPoint by) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        Mouse(QEvent::MouseMove, from + by, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, from + by, Qt::NoButton);
    }

    QWidget target;
};

TEST_F(SizeGripTest, PaintsRidgesAndDotsOverTheTarget) {
    SizeGrip grip(&target);
    ASSERT_EQ(grip.TargetControl(), &target);
    const struct {
        SizeGripStyle style;
        int x, y;
        QColor colour;
    } cases[] = {
        {SizeGripStyle::sgsClassic, 58, 49, Shadow},
        {SizeGripStyle::sgsClassic, 57, 49, Mid},
        {SizeGripStyle::sgsClassic, 56, 49, Highlight},
        {SizeGripStyle::sgsClassic, 59, 38, Highlight},
        {SizeGripStyle::sgsClassic, 59, 49, Background},
        {SizeGripStyle::sgsWinXP, 56, 38, Shadow},
        {SizeGripStyle::sgsWinXP, 57, 39, Mid},
        {SizeGripStyle::sgsWinXP, 58, 40, Highlight},
        {SizeGripStyle::sgsWinXP, 58, 49, Background},
    };
    for (const auto& c : cases) {
        grip.SetStyle(c.style);
        EXPECT_EQ(PixelAt(c.x, c.y), c.colour)
            << static_cast<int>(c.style) << " " << c.x << "," << c.y;
    }
}

TEST_F(SizeGripTest, DisablingRemovesPaintAndHitTestEnablingRestoresThem) {
    SizeGrip grip(&target);
    target.show();

    grip.SetEnabled(false);
    EXPECT_FALSE(grip.IsAttached());
    EXPECT_TRUE(grip.GripRect().isEmpty());
    EXPECT_EQ(PixelAt(58, 49), Background);
    Drag({55, 45}, {30, 20});
    EXPECT_EQ(target.size(), QSize(60, 50));

    grip.SetEnabled(true);
    EXPECT_TRUE(grip.IsAttached());
    EXPECT_EQ(grip.GripRect(), QRect(45, 35, 15, 15));
    EXPECT_EQ(PixelAt(58, 49), Shadow);
    // No system resize offscreen: the grip follows the mouse itself.
    Drag({55, 45}, {30, 20});
    EXPECT_EQ(target.size(), QSize(90, 70));
    EXPECT_EQ(grip.GripRect(), QRect(75, 55, 15, 15));

    Drag({74, 65}, {30, 20}); // just left of the grip
    EXPECT_EQ(target.size(), QSize(90, 70));
}

TEST_F(SizeGripTest, FollowsTheTargetItIsGiven) {
    QWidget other;
    other.setPalette(target.palette());
    other.setAutoFillBackground(true);
    other.resize(60, 50);

    SizeGrip grip(nullptr);
    EXPECT_EQ(grip.TargetControl(), nullptr);
    EXPECT_FALSE(grip.IsAttached());

    grip.SetTargetControl(&target);
    grip.SetTargetControl(&target);
    EXPECT_EQ(PixelAt(58, 49), Shadow);

    grip.SetTargetControl(&other);
    EXPECT_EQ(PixelAt(58, 49), Background);
    EXPECT_EQ(other.grab().toImage().pixelColor(58, 49), Shadow);
}

TEST(SizeGrip, TargetDestroyedFirstLeavesTheGripDetached) {
    auto* target = new QWidget;
    target->resize(60, 50);
    target->show();
    SizeGrip grip(nullptr);
    grip.SetTargetControl(target);
    ASSERT_TRUE(grip.IsAttached());

    delete target;
    EXPECT_EQ(grip.TargetControl(), nullptr);
    EXPECT_FALSE(grip.IsAttached());
    EXPECT_TRUE(grip.GripRect().isEmpty());
    grip.SetEnabled(false);
    grip.SetEnabled(true);
    grip.SetStyle(SizeGripStyle::sgsWinXP);
    EXPECT_FALSE(grip.IsAttached());
}

TEST(SizeGrip, GripOwnedByItsTargetDiesWithIt) {
    QWidget window;
    auto* target = new QWidget(&window);
    target->setGeometry(0, 0, 60, 50);
    window.show();
    new SizeGrip(target);
    delete target;
    QApplication::processEvents(); // a stale repaint request would touch freed memory here

    QWidget survivor;
    survivor.setAutoFillBackground(true);
    survivor.resize(60, 50);
    auto* grip = new SizeGrip(&survivor);
    delete grip;
    QApplication::processEvents();
    EXPECT_FALSE(survivor.hasMouseTracking()); // the target is handed back as it was
}

} // namespace
} // namespace marrowlight
