#include "monitor/LogTab.h"

#include "monitor/FindBar.h"
#include "monitor/LogTabRig.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::LogTabRig;

const std::vector<std::string> Lines{"zero", "one", "two", "three", "four", "five"};

QPoint RowCentre(const LogTabRig& rig, int row) {
    return rig.List().visualRect(rig.Model().index(row)).center();
}

void Click(LogTabRig& rig, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(rig.List().viewport(), Qt::LeftButton, modifiers, RowCentre(rig, row));
}

TEST(LogTab, SelectedRowsStayOnTheirLinesWhileLinesArriveAtEitherEnd) {
    for (bool newestAtTop : {false, true}) {
        SCOPED_TRACE(newestAtTop ? "newest at top" : "newest at bottom");
        LogTabRig rig(Lines, newestAtTop);
        ASSERT_TRUE(rig.activated);
        // Click, Shift+click, Ctrl+click, Shift+Down.
        Click(rig, 1);
        Click(rig, 2, Qt::ShiftModifier);
        Click(rig, 4, Qt::ControlModifier);
        QTest::keyClick(&rig.List(), Qt::Key_Down, Qt::ShiftModifier);
        const QStringList selected = rig.SelectedTexts();
        ASSERT_EQ(selected.size(), 4);
        const QString current = rig.Text(rig.Current());

        rig.Arrive({"six", "seven"});
        ASSERT_EQ(rig.Model().rowCount(), 8);
        EXPECT_EQ(rig.SelectedTexts(), selected);
        EXPECT_EQ(rig.Text(rig.Current()), current);
    }
}

TEST(LogTab, FollowingTheLogSelectsTheLastRowUnlessRowsAreChosen) {
    struct Case {
        const char* what;
        int selectFirst, selectLast; // -1: leave as the pass left it
        bool findBarOpen;
        bool follows;
    } cases[] = {
        {"as loaded", -1, -1, false, true},
        {"one row clicked", 2, 2, false, true},
        {"rows chosen", 1, 3, false, false},
        {"searching", 2, 2, true, false},
    };
    for (const Case& c : cases) {
        LogTabRig rig(Lines);
        ASSERT_TRUE(rig.activated);
        if (c.selectFirst >= 0) {
            Click(rig, c.selectFirst);
            if (c.selectLast != c.selectFirst)
                Click(rig, c.selectLast, Qt::ShiftModifier);
        }
        if (c.findBarOpen)
            rig.tab->FindAction->trigger();
        const QStringList before = rig.SelectedTexts();
        rig.Arrive({"six"});
        EXPECT_EQ(rig.SelectedTexts(), c.follows ? QStringList{"six"} : before) << c.what;
        EXPECT_EQ(rig.Current() == 6, c.follows) << c.what;
    }
}

TEST(LogTab, CopiesTheSelectedRowsAsTheyAreDrawn) {
    LogTabRig rig({"first", std::string("zero\0byte", 9), "caf\xE9 au lait", "last"});
    ASSERT_TRUE(rig.activated);
    QClipboard& clipboard = *QApplication::clipboard();

    clipboard.setText("before");
    Click(rig, 1);
    Click(rig, 2, Qt::ShiftModifier);
    QTest::keyClick(&rig.List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard.text(), QString::fromUtf8("zero\xE2\x90\x80"
                                                  "byte\ncaf\xC3\xA9 au lait"));

    // Rows in list order, however they were picked; Ctrl+A takes all.
    Click(rig, 3);
    Click(rig, 0, Qt::ControlModifier);
    rig.tab->CopyRowsAction->trigger();
    EXPECT_EQ(clipboard.text(), "first\nlast");
    QTest::keyClick(&rig.List(), Qt::Key_A, Qt::ControlModifier);
    rig.tab->CopyRowsAction->trigger();
    EXPECT_EQ(clipboard.text().count('\n'), 3);

    // Lines that arrived by a pass carry the number the gutter shows.
    rig.options.ShowLineNumbersBox->setChecked(true);
    rig.Arrive({"fifth", "sixth"});
    Click(rig, 3);
    Click(rig, 5, Qt::ShiftModifier);
    rig.tab->CopyWithLineNumbersAction->trigger();
    EXPECT_EQ(clipboard.text(), "\tlast\n1\tfifth\n2\tsixth");
}

TEST(LogTab, CopyingMoreThan64MiBAsksFirst) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    QClipboard& clipboard = *QApplication::clipboard();
    std::vector<uint64_t> asked;
    bool answer = false;
    rig.tab->ConfirmLargeCopy = [&](uint64_t bytes) {
        asked.push_back(bytes);
        return answer;
    };
    // Rows the index says are 40 MiB long; the log holds much less of them.
    auto file = std::make_shared<testing::MemoryFile>();
    file->data = "big one\nbig two\n";
    LineIndex rows;
    rows.push_back(LineEntry(0, uint64_t{40} << 20));
    rows.push_back(LineEntry(8, uint64_t{24} << 20));
    rows.SetSource(file, LogEncoding::EightBit);
    rig.Model().LoadLines(std::move(rows));

    rig.SetCurrent(0); // one row: 40 MiB, copied without a question
    clipboard.setText("before");
    EXPECT_TRUE(rig.tab->CopySelection(false));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(clipboard.text(), "big one\nbig two\n");

    QTest::keyClick(&rig.List(), Qt::Key_A, Qt::ControlModifier);
    clipboard.setText("before");
    EXPECT_FALSE(rig.tab->CopySelection(false));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_GT(asked[0], LogTab::LargeCopyBytes);
    EXPECT_EQ(clipboard.text(), "before");
    answer = true;
    EXPECT_TRUE(rig.tab->CopySelection(false));
    EXPECT_EQ(clipboard.text(), "big one\nbig two\n\nbig two\n");
}

TEST(LogTab, TheListMenuHasAccessKeysAndOffersWhatCanBeDone) {
    LogTabRig rig(Lines);
    ASSERT_TRUE(rig.activated);
    rig.List().clearSelection();
    emit rig.List().customContextMenuRequested(RowCentre(rig, 0));
    QMenu& menu = *rig.tab->ListMenu;
    EXPECT_TRUE(menu.isVisible());
    QSet<QChar> keys;
    for (QAction* item : menu.actions()) {
        if (item->isSeparator())
            continue;
        const QString text = item->text();
        const qsizetype mark = text.indexOf('&');
        ASSERT_GE(mark, 0) << text.toStdString();
        keys.insert(text.at(mark + 1).toLower());
    }
    EXPECT_EQ(keys.size(), 4);
    EXPECT_TRUE(rig.tab->FindAction->isEnabled());
    EXPECT_FALSE(rig.tab->CopyRowsAction->isEnabled());
    EXPECT_FALSE(rig.tab->CopyWithLineNumbersAction->isEnabled());
    menu.close();

    // Line numbers come from the gutter, when it shows any.
    rig.SetCurrent(1);
    for (bool gutter : {false, true}) {
        rig.options.ShowLineNumbersBox->setChecked(gutter);
        rig.options.ShowLineTimeBox->setChecked(false);
        emit rig.List().customContextMenuRequested(RowCentre(rig, 1));
        EXPECT_TRUE(rig.tab->CopyRowsAction->isEnabled());
        EXPECT_EQ(rig.tab->CopyWithLineNumbersAction->isEnabled(), gutter);
        menu.close();
    }
}

} // namespace
} // namespace marrowlight
