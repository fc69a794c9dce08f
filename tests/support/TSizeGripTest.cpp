#include "support/TSizeGrip.h"

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

class TSizeGripTest : public ::testing::Test {
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

TEST_F(TSizeGripTest, PaintsRidgesAndDotsOverTheTarget) {
    TSizeGrip grip(&target);
    ASSERT_EQ(grip.TargetControl(), &target);
    const struct {
        TSizeGripStyle style;
        int x, y;
        QColor colour;
    } cases[] = {
        {TSizeGripStyle::sgsClassic, 58, 49, Shadow},
        {TSizeGripStyle::sgsClassic, 57, 49, Mid},
        {TSizeGripStyle::sgsClassic, 56, 49, Highlight},
        {TSizeGripStyle::sgsClassic, 59, 38, Highlight},
        {TSizeGripStyle::sgsClassic, 59, 49, Background},
        {TSizeGripStyle::sgsWinXP, 56, 38, Shadow},
        {TSizeGripStyle::sgsWinXP, 57, 39, Mid},
        {TSizeGripStyle::sgsWinXP, 58, 40, Highlight},
        {TSizeGripStyle::sgsWinXP, 58, 49, Background},
    };
    for (const auto& c : cases) {
        grip.SetStyle(c.style);
        EXPECT_EQ(PixelAt(c.x, c.y), c.colour)
            << static_cast<int>(c.style) << " " << c.x << "," << c.y;
    }
}

TEST_F(TSizeGripTest, DisablingRemovesPaintAndHitTestEnablingRestoresThem) {
    TSizeGrip grip(&target);
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

TEST_F(TSizeGripTest, FollowsTheTargetItIsGiven) {
    QWidget other;
    other.setPalette(target.palette());
    other.setAutoFillBackground(true);
    other.resize(60, 50);

    TSizeGrip grip(nullptr);
    EXPECT_EQ(grip.TargetControl(), nullptr);
    EXPECT_FALSE(grip.IsAttached());

    grip.SetTargetControl(&target);
    grip.SetTargetControl(&target);
    EXPECT_EQ(PixelAt(58, 49), Shadow);

    grip.SetTargetControl(&other);
    EXPECT_EQ(PixelAt(58, 49), Background);
    EXPECT_EQ(other.grab().toImage().pixelColor(58, 49), Shadow);
}

TEST(TSizeGrip, TargetDestroyedFirstLeavesTheGripDetached) {
    auto* target = new QWidget;
    target->resize(60, 50);
    target->show();
    TSizeGrip grip(nullptr);
    grip.SetTargetControl(target);
    ASSERT_TRUE(grip.IsAttached());

    delete target;
    EXPECT_EQ(grip.TargetControl(), nullptr);
    EXPECT_FALSE(grip.IsAttached());
    EXPECT_TRUE(grip.GripRect().isEmpty());
    grip.SetEnabled(false);
    grip.SetEnabled(true);
    grip.SetStyle(TSizeGripStyle::sgsWinXP);
    EXPECT_FALSE(grip.IsAttached());
}

TEST(TSizeGrip, GripOwnedByItsTargetDiesWithIt) {
    QWidget window;
    auto* target = new QWidget(&window);
    target->setGeometry(0, 0, 60, 50);
    window.show();
    new TSizeGrip(target);
    delete target;
    QApplication::processEvents(); // a stale repaint request would touch freed memory here

    QWidget survivor;
    survivor.setAutoFillBackground(true);
    survivor.resize(60, 50);
    auto* grip = new TSizeGrip(&survivor);
    delete grip;
    QApplication::processEvents();
    EXPECT_FALSE(survivor.hasMouseTracking()); // the target is handed back as it was
}

} // namespace
} // namespace marrowlight
