#include "monitor/FindBar.h"

#include "monitor/LogLineDelegate.h"
#include "monitor/LogTabRig.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::LogTabRig;

const std::vector<std::string> Lines{"start of the log", "GET /index 200", "ERROR disk full",
                                     "GET /about 200",   "error: retry",   "done"};

void Type(QWidget* widget, const QString& text) {
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(widget, text);
}

TEST(FindBar, NextAndPreviousWalkTheMatchesAndWrapOnce) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    FindBar& bar = rig.tab->Finder();
    EXPECT_TRUE(bar.isHidden());
    rig.SetCurrent(0);

    QTest::keyClick(&rig.List(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar.isVisible());
    EXPECT_TRUE(bar.FindField->hasFocus());
    Type(bar.FindField, "error");

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        const char* message;
    } steps[] = {
        {Qt::Key_Return, {}, 2, ""},
        {Qt::Key_Return, {}, 4, ""},
        {Qt::Key_Enter, {}, 2, "Search wrapped to the start"},
        {Qt::Key_Return, Qt::ShiftModifier, 4, "Search wrapped to the end"},
        {Qt::Key_Return, Qt::ShiftModifier, 2, ""},
        {Qt::Key_F3, {}, 4, ""},
        {Qt::Key_F3, Qt::ShiftModifier, 2, ""},
    };
    for (const Step& step : steps) {
        QTest::keyClick(bar.FindField, step.key, step.modifiers);
        EXPECT_FALSE(bar.Searching());
        EXPECT_EQ(rig.Current(), step.row) << step.row;
        EXPECT_EQ(rig.SelectedTexts(), QStringList{rig.Text(step.row)});
        EXPECT_EQ(bar.MessageLabel->text(), step.message);
    }
    EXPECT_EQ(rig.statusMessages,
              QStringList({"Search wrapped to the start", "Search wrapped to the end"}));

    // Only the row itself matches with case: found again after a full turn.
    bar.MatchCaseBox->setChecked(true);
    rig.SetCurrent(4);
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_EQ(rig.Current(), 4);
    EXPECT_EQ(bar.MessageLabel->text(), "Search wrapped to the start");

    Type(bar.FindField, "disk full please");
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_EQ(rig.Current(), 4);
    EXPECT_EQ(bar.MessageLabel->text(), "Not found");
    EXPECT_EQ(rig.statusMessages.last(), "Not found");

    // An invalid expression says why at once and searches nothing.
    bar.RegularExpressionBox->setChecked(true);
    Type(bar.FindField, "ERR(OR");
    const QString why = "Invalid regular expression: missing closing parenthesis (at character 7)";
    EXPECT_EQ(bar.MessageLabel->text(), why);
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_EQ(rig.Current(), 4);
    EXPECT_EQ(bar.MessageLabel->text(), why);
    Type(bar.FindField, "^ERR[A-Z]+ d");
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_EQ(rig.Current(), 2);

    // Escape closes the bar and gives the list the keyboard again.
    QTest::keyClick(bar.FindField, Qt::Key_Escape);
    EXPECT_TRUE(bar.isHidden());
    EXPECT_TRUE(rig.List().hasFocus());
    EXPECT_EQ(rig.tab->Delegate().Found(), nullptr);
}

TEST(FindBar, NextGoesTowardNewerLinesWhenTheyAreOnTop) {
    LogTabRig rig(Lines, true);
    ASSERT_TRUE(rig.activated);
    ASSERT_EQ(rig.Text(0), "done");
    FindBar& bar = rig.tab->Finder();
    rig.SetCurrent(5); // the oldest line
    rig.tab->FindAction->trigger();
    Type(bar.FindField, "error");
    for (int row : {3, 1, 3}) {
        QTest::keyClick(bar.FindField, Qt::Key_Return);
        EXPECT_EQ(rig.Current(), row);
    }
    EXPECT_EQ(bar.MessageLabel->text(), "Search wrapped to the start");
    QTest::keyClick(bar.FindField, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(rig.Current(), 1);
    EXPECT_EQ(bar.MessageLabel->text(), "Search wrapped to the end");
}

TEST(FindBar, EscapeStopsASearchBetweenItsSlices) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back("line " + std::to_string(i) + " with some padding to fill a block");
    lines.push_back("the needle");
    LogTabRig rig(lines);
    ASSERT_TRUE(rig.activated);
    FindBar& bar = rig.tab->Finder();
    bar.Slices = {0, 1, 1024}; // a block of some twenty rows per slice
    rig.SetCurrent(0);
    rig.tab->FindAction->trigger();
    Type(bar.FindField, "needle");
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_TRUE(bar.Searching());
    EXPECT_EQ(bar.MessageLabel->text(), "Searching…");
    QTest::keyClick(bar.FindField, Qt::Key_Escape);
    EXPECT_FALSE(bar.Searching());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.MessageLabel->text(), "Search stopped");
    EXPECT_EQ(rig.Current(), 0);
    QApplication::processEvents();
    EXPECT_EQ(rig.Current(), 0);

    // Left alone, the slices run on in the event loop to the end.
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar.Searching(); }));
    EXPECT_EQ(rig.Current(), 200);
    QTest::keyClick(bar.FindField, Qt::Key_Escape);
    EXPECT_TRUE(bar.isHidden());
}

TEST(FindBar, EveryControlSpeaksAndHasAKeyOfItsOwn) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    FindBar& bar = rig.tab->Finder();
    rig.tab->FindAction->trigger();
    struct Control {
        QWidget* widget;
        const char* name;
    } controls[] = {
        {bar.FindField, "Find:"},
        {bar.MatchCaseBox, "Match case"},
        {bar.RegularExpressionBox, "Regular expression"},
        {bar.NextButton, "Next"},
        {bar.PreviousButton, "Previous"},
        {bar.CloseButton, "Close the find bar"},
    };
    for (const Control& c : controls)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(c.widget)->text(QAccessible::Name), c.name);
    // Keys of their own, and none the menu bar's File, View, Options or Help take.
    QSet<QChar> keys{'f', 'v', 'o', 'h'};
    for (const QString& text :
         {bar.FindLabel->text(), bar.MatchCaseBox->text(), bar.RegularExpressionBox->text(),
          bar.NextButton->text(), bar.PreviousButton->text()}) {
        const qsizetype mark = text.indexOf('&');
        ASSERT_GE(mark, 0) << text.toStdString();
        EXPECT_FALSE(keys.contains(text.at(mark + 1).toLower())) << text.toStdString();
        keys.insert(text.at(mark + 1).toLower());
    }

    // A click finds, and leaves the keyboard in the field for Enter.
    rig.SetCurrent(0);
    Type(bar.FindField, "GET");
    QTest::mouseClick(bar.NextButton, Qt::LeftButton);
    EXPECT_EQ(rig.Current(), 1);
    EXPECT_TRUE(bar.FindField->hasFocus());
    QTest::keyClick(bar.FindField, Qt::Key_Return);
    EXPECT_EQ(rig.Current(), 3);
}

TEST(FindBar, FoundTextIsMarkedInTheRowsWhileTheBarIsOpen) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    FindBar& bar = rig.tab->Finder();
    LogListView& list = rig.List();
    rig.SetCurrent(5);
    rig.tab->FindAction->trigger();
    Type(bar.FindField, "disk");
    auto rowImage = [&](int row) {
        QImage image(list.viewport()->size(), QImage::Format_RGB32);
        list.viewport()->render(&image);
        const QRect rect = list.visualRect(rig.Model().index(row));
        return image.copy(rect);
    };
    const QImage marked = rowImage(2), plain = rowImage(0);
    bar.Close();
    EXPECT_NE(rowImage(2), marked);
    EXPECT_EQ(rowImage(0), plain);
}

} // namespace
} // namespace marrowlight
