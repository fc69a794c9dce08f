#include "monitor/FilterPane.h"

#include "monitor/GoToLine.h"
#include "monitor/LogTabRig.h"
#include "settings/core/StoredNames.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::LogTabRig;
using testing::WriteFile;

const std::vector<std::string> Lines{"start", "ERR1 disk", "ok", "err two", "ERR3 net", "done"};

FilterPane& OpenPane(LogTabRig& rig) {
    FilterPane& pane = rig.tab->Filter();
    pane.Store = &rig.store;
    pane.Open();
    return pane;
}

void Type(FilterPane& pane, const QString& text) {
    QLineEdit* field = pane.PatternField->lineEdit();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

void Settle(FilterPane& pane) {
    for (int i = 0; i < 1000 && pane.Filling(); ++i)
        QTest::qWait(1);
}

// The results as the pane draws them: line number, a blank, the line.
QStringList Shown(FilterPane& pane) {
    QStringList rows;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(pane.ResultList);
    for (int i = 0; i < pane.ResultCount(); ++i)
        rows << list->child(i)->text(QAccessible::Name);
    return rows;
}

QStringList Reversed(QStringList rows, bool reverse) {
    if (reverse)
        std::reverse(rows.begin(), rows.end());
    return rows;
}

TEST(FilterPane, ListsMatchingRowsThatFollowTheLogAndBeginAgainWhenItIsCut) {
    struct Case {
        const char* pattern;
        bool matchCase, regex, hide;
        QStringList loaded, arrived, cut;
    };
    const Case cases[] = {
        {"ERR",
         true,
         false,
         false,
         {"2 ERR1 disk", "5 ERR3 net"},
         {"2 ERR1 disk", "5 ERR3 net", "8 ERR7 late"},
         {"2 ERR9"}},
        {"err",
         false,
         false,
         false,
         {"2 ERR1 disk", "4 err two", "5 ERR3 net"},
         {"2 ERR1 disk", "4 err two", "5 ERR3 net", "8 ERR7 late"},
         {"2 ERR9"}},
        {"ERR[0-9]+ n", true, true, false, {"5 ERR3 net"}, {"5 ERR3 net"}, {}},
        {"ERR",
         true,
         false,
         true,
         {"1 start", "3 ok", "4 err two", "6 done"},
         {"1 start", "3 ok", "4 err two", "6 done", "7 quiet"},
         {"1 first", "3 last"}},
    };
    for (bool top : {false, true}) {
        for (const Case& c : cases) {
            LogTabRig rig(Lines, top);
            ASSERT_TRUE(rig.activated);
            FilterPane& pane = OpenPane(rig);
            pane.MatchCaseBox->setChecked(c.matchCase);
            pane.RegularExpressionBox->setChecked(c.regex);
            pane.HideMatchingBox->setChecked(c.hide);
            Type(pane, QString::fromLatin1(c.pattern));
            Settle(pane);
            EXPECT_EQ(Shown(pane), Reversed(c.loaded, top)) << c.pattern << " top " << top;

            rig.Arrive({"quiet", "ERR7 late"});
            EXPECT_EQ(Shown(pane), Reversed(c.arrived, top)) << c.pattern << " top " << top;

            WriteFile(rig.path, "first\r\nERR9\r\nlast\r\n");
            rig.cycle.Pass();
            for (int i = 0; i < 1000 && rig.Model().rowCount() != 3; ++i)
                QTest::qWait(1);
            Settle(pane);
            EXPECT_EQ(Shown(pane), Reversed(c.cut, top)) << c.pattern << " top " << top;
            // The main list is never filtered by the pane.
            EXPECT_EQ(rig.Model().rowCount(), 3);
        }
    }
}

TEST(FilterPane, EnterShowsAResultInTheListAndEscapeReturnsThere) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    FilterPane& pane = OpenPane(rig);
    EXPECT_TRUE(pane.PatternField->lineEdit()->hasFocus());
    EXPECT_EQ(pane.PatternLabel->buddy(), pane.PatternField);
    pane.MatchCaseBox->setChecked(true);
    Type(pane, "ERR");
    Settle(pane);
    ASSERT_EQ(pane.ResultCount(), 2);
    EXPECT_EQ(pane.CountLabel->text(), "2 matching lines");

    struct Step {
        Qt::Key key;
        int mainRow; // the main list's current row after the key
    } steps[] = {{Qt::Key_Return, 1}, {Qt::Key_Down, 1}, {Qt::Key_Enter, 4},
                 {Qt::Key_Down, 4},   {Qt::Key_Up, 4},   {Qt::Key_Return, 1}};
    for (const Step& step : steps) {
        QTest::keyClick(pane.PatternField->lineEdit(), step.key);
        EXPECT_EQ(rig.Current(), step.mainRow) << step.key;
    }
    // A double click on a result does what Enter does.
    const QRect second = pane.ResultList->visualRect(pane.ResultList->model()->index(1, 0));
    QTest::mouseClick(pane.ResultList->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(pane.ResultList->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(rig.Current(), 4);
    // Following leaves the row shown while the pane is open.
    rig.Arrive({"more"});
    EXPECT_EQ(rig.Current(), 4);

    QTest::keyClick(pane.PatternField->lineEdit(), Qt::Key_Escape);
    EXPECT_TRUE(rig.List().hasFocus());
    EXPECT_TRUE(pane.isVisible());

    pane.Close();
    EXPECT_TRUE(pane.isHidden());
    EXPECT_EQ(pane.Scan(), nullptr);
    pane.Open();
    Settle(pane);
    EXPECT_EQ(pane.ResultCount(), 2); // the pattern stayed with the tab
}

TEST(FilterPane, BadOrEmptyPatternsListNothingAndSayWhy) {
    LogTabRig rig(Lines);
    FilterPane& pane = OpenPane(rig);
    pane.MatchCaseBox->setChecked(true);
    pane.RegularExpressionBox->setChecked(true);
    struct Case {
        const char* pattern;
        const char* message; // start of it
        int results;
    } cases[] = {
        {"ERR(", "Invalid regular expression: missing closing parenthesis (at character 5)", 0},
        {"", "", 0},
        {"^ERR", "", 2},
        {"[z-a]", "Invalid regular expression: range out of order", 0},
    };
    for (const Case& c : cases) {
        Type(pane, QString::fromLatin1(c.pattern));
        Settle(pane);
        EXPECT_TRUE(pane.MessageLabel->text().startsWith(QString::fromLatin1(c.message)))
            << c.pattern << ": " << pane.MessageLabel->text().toStdString();
        EXPECT_EQ(pane.ResultCount(), c.results) << c.pattern;
        EXPECT_EQ(pane.CountLabel->text().isEmpty(), c.results == 0) << c.pattern;
    }

    LogTabRig costly({"ok", std::string(5000, 'a')});
    FilterPane& slow = OpenPane(costly);
    slow.RegularExpressionBox->setChecked(true);
    Type(slow, "(a+)+(b|c)");
    Settle(slow);
    EXPECT_EQ(slow.MessageLabel->text(),
              "Filtering stopped. The expression takes too long on one of the lines.");
}

TEST(FilterPane, KeepsTheLastTenPatternsNewestFirst) {
    LogTabRig rig(Lines);
    // A damaged list offers nothing and is written anew.
    rig.store.WriteSetting(std::string(stored::FilterPatternList) + stored::ItemsCount, "many");
    FilterPane& pane = OpenPane(rig);
    EXPECT_TRUE(pane.StoredPatternList().empty());
    for (int i = 1; i <= 12; ++i) {
        Type(pane, QStringLiteral("p%1").arg(i));
        QTest::keyClick(pane.PatternField->lineEdit(), Qt::Key_Return);
    }
    Type(pane, "p5");
    QTest::keyClick(pane.PatternField->lineEdit(), Qt::Key_Return);
    const std::vector<std::string> want{"p5", "p12", "p11", "p10", "p9",
                                        "p8", "p7",  "p6",  "p4",  "p3"};
    EXPECT_EQ(pane.StoredPatternList(), want);
    ASSERT_EQ(pane.PatternField->count(), 10);
    EXPECT_EQ(pane.PatternField->itemText(1), "p12");
    EXPECT_EQ(pane.PatternField->currentText(), "p5");
}

TEST(LineJump, SelectsTheRowOfALineNumber) {
    LogTabRig rig(Lines);
    struct Case {
        const char* typed;
        int row; // -1: not a line number
    } cases[] = {{"3", 2}, {" 6 ", 5}, {"99", 5}, {"0", -1}, {"x", -1}, {"-2", -1}, {"", -1}};
    for (const Case& c : cases) {
        const auto lineNo = LineJump::ParseLineNumber(QString::fromLatin1(c.typed));
        EXPECT_EQ(lineNo.has_value(), c.row >= 0) << c.typed;
        if (!lineNo)
            continue;
        rig.SetCurrent(0);
        QString message;
        auto* jump = new LineJump(rig.List(), rig.Model(), false, *lineNo, rig.tab);
        QObject::connect(jump, &LineJump::Finished, [&](const QString& text) { message = text; });
        for (int i = 0; i < 100 && message.isEmpty(); ++i)
            QTest::qWait(1);
        EXPECT_EQ(rig.Current(), c.row) << c.typed;
    }
}

} // namespace
} // namespace marrowlight
