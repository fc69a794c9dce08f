#include "monitor/LogTabWidget.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTabBar>
#include <functional>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// The bar remembers each caption's size: whatever changes, its tabs must
// measure as Qt's own bar measures the same tabs.
TEST(LogTabWidget, TabsMeasureAsQtsOwnBarMeasuresThem) {
    LogTabWidget ours;
    QTabWidget qts;
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    const QIcon icon(picture);
    for (QTabWidget* tabs : {static_cast<QTabWidget*>(&ours), &qts}) {
        tabs->resize(900, 300);
        for (const char* caption : {"app.log", "db.log", "a much longer caption.log"})
            tabs->addTab(new QWidget, icon, caption);
        tabs->show();
    }
    const struct {
        const char* what;
        std::function<void(QTabWidget&)> change;
    } steps[] = {
        {"as added", [](QTabWidget&) {}},
        {"a caption grows", [](QTabWidget& t) { t.setTabText(0, "app.log (12)"); }},
        {"it shrinks again", [](QTabWidget& t) { t.setTabText(0, "app.log"); }},
        {"an icon goes", [](QTabWidget& t) { t.setTabIcon(1, QIcon()); }},
        {"a larger font",
         [](QTabWidget& t) {
             QFont font = t.font();
             font.setPointSize(font.pointSize() + 6);
             t.tabBar()->setFont(font);
         }},
        {"larger icons", [](QTabWidget& t) { t.tabBar()->setIconSize(QSize(32, 32)); }},
    };
    for (const auto& step : steps) {
        step.change(ours);
        step.change(qts);
        QApplication::processEvents();
        for (int i = 0; i < qts.count(); ++i)
            EXPECT_EQ(ours.tabBar()->tabRect(i).size(), qts.tabBar()->tabRect(i).size())
                << step.what << ", tab " << i;
    }
}

} // namespace
} // namespace marrowlight
