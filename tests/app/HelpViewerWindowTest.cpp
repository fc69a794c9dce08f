#include "app/helpviewer/HelpViewerWindow.h"

#include "app/helpviewer/HelpCollection.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>
#include <ostream>

// Failures show Qt texts as text.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace marrowlight {
namespace {

const QString kHelpFile = QStringLiteral(MARROWLIGHT_HELP_FILE);

QString AccessibleName(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

TEST(HelpViewerProgram, ChecksATopicOfTheCompiledHelp) {
    QTemporaryDir cache;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CACHE_HOME", cache.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    const struct {
        QString argument;
        int exitCode;
        QString output;
    } cases[] = {
        {kHelpFile + "::/Overview.htm", 0, "title: Marrowlight Overview\n"},
        {kHelpFile + "::/Overview.htm", 0,
         "link: ok qthelp://com.veltaroon.marrowlight.2/doc/Options.htm\n"},
        {kHelpFile + "::/Options.htm", 0,
         "link: ok qthelp://com.veltaroon.marrowlight.2/doc/Options.htm#advanced\n"},
        // Every page, so a broken link or anchor anywhere in the help fails.
        {kHelpFile + "::/Logs.htm", 0, "title: Opening and following logs\n"},
        {kHelpFile + "::/Display.htm", 0, "title: How lines are shown\n"},
        {kHelpFile + "::/Groups.htm", 0, "title: Groups, colours and View filters\n"},
        {kHelpFile + "::/AutoOpenClose.htm", 0, "title: Opening and closing logs automatically\n"},
        {kHelpFile + "::/CommandLine.htm", 0, "title: Command line\n"},
        {kHelpFile + "::/Menus.htm", 0, "title: Menus\n"},
        {kHelpFile, 0, "title: Marrowlight Overview\n"},
        {kHelpFile + "::/Missing.htm", 1, "no page \"Missing.htm\""},
        {cache.filePath("nowhere.qch") + "::/Overview.htm", 1,
         "Help file \"nowhere.qch\" not found."},
    };
    for (const auto& c : cases) {
        QProcess viewer;
        viewer.setProcessEnvironment(environment);
        viewer.start(MARROWLIGHT_HELP_VIEWER, {"--check-topic", c.argument});
        ASSERT_TRUE(viewer.waitForFinished(30000)) << c.argument.toStdString();
        const QString output =
            QString::fromLocal8Bit(viewer.readAllStandardOutput() + viewer.readAllStandardError());
        EXPECT_EQ(viewer.exitCode(), c.exitCode) << output.toStdString();
        EXPECT_TRUE(output.contains(c.output)) << output.toStdString();
        EXPECT_FALSE(output.contains("link: broken")) << output.toStdString();
    }
}

TEST(HelpArgument, SplitsFileAndTopicAtTheLastJoin) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("odd::"));
    const QString odd = dir.filePath("odd::/m.qch"); // a real file whose path holds "::/"
    QFile(odd).open(QIODevice::WriteOnly);

    const struct {
        QString argument, file, topic;
    } cases[] = {
        {"/opt/m.qch::/Logs.htm#gutter", "/opt/m.qch", "Logs.htm#gutter"},
        {odd, odd, ""},
        {odd + "::/Options.htm", odd, "Options.htm"},
    };
    for (const auto& c : cases) {
        const HelpTarget target = SplitHelpArgument(c.argument);
        EXPECT_EQ(target.file, c.file) << c.argument.toStdString();
        EXPECT_EQ(target.topic, c.topic) << c.argument.toStdString();
    }
}

TEST(HelpCollectionFile, OpensOnlyCompiledHelpAndReusesItsCollection) {
    QTemporaryDir dir;
    const QString copy = dir.filePath("marrowlight.qch");
    ASSERT_TRUE(QFile::copy(kHelpFile, copy));
    QFile text(dir.filePath("notes.qch"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a help file\n");
    text.close();

    const struct {
        QString file;
        bool open;
        QString error;
    } cases[] = {
        {copy, true, ""},
        {copy, true, ""}, // registered already
        {dir.filePath("missing.qch"), false, "Help file \"missing.qch\" not found."},
        {dir.filePath("notes.qch"), false, "\"notes.qch\" is not a compiled help file."},
    };
    for (const auto& c : cases) {
        const HelpCollection help(c.file, dir.filePath("cache"));
        EXPECT_EQ(help.IsOpen(), c.open) << c.file.toStdString();
        EXPECT_EQ(help.Error(), c.error);
    }

    // A file rebuilt at the same path is taken afresh.
    QFile(copy).setFileTime(QDateTime::currentDateTime().addSecs(60),
                            QFileDevice::FileModificationTime);
    const HelpCollection help(copy, dir.filePath("cache"));
    ASSERT_TRUE(help.IsOpen()) << help.Error().toStdString();
    EXPECT_EQ(help.Pages().size(), 12);
    EXPECT_TRUE(help.TopicUrl("Options.htm").isValid());
    EXPECT_FALSE(help.TopicUrl("Nothing.htm").isValid());
}

class HelpViewer : public ::testing::Test {
  protected:
    QTemporaryDir cache;
    HelpCollection help{kHelpFile, cache.path()};
};

TEST_F(HelpViewer, OpensATopicFollowsLinksAndGoesBackAndForward) {
    ASSERT_TRUE(help.IsOpen()) << help.Error().toStdString();
    HelpViewerWindow window(help);
    EXPECT_EQ(window.windowTitle(), "Marrowlight Help");

    ASSERT_TRUE(window.ShowTopic("Overview.htm"));
    EXPECT_EQ(window.PageTitle(), "Marrowlight Overview");
    EXPECT_FALSE(window.BackAct->isEnabled());

    window.FollowLink(QUrl("Options.htm"));
    EXPECT_EQ(window.PageTitle(), "Options");
    window.FollowLink(QUrl("#advanced"));
    EXPECT_EQ(window.Browser->source().fileName(), "Options.htm");
    window.FollowLink(QUrl("Logs.htm#recent"));
    EXPECT_EQ(window.PageTitle(), "Opening and following logs");
    // A link the help cannot answer leaves the page as it is.
    window.FollowLink(QUrl("Nowhere.htm"));
    EXPECT_EQ(window.PageTitle(), "Opening and following logs");

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.Browser->source().fileName(), "Options.htm");
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.PageTitle(), "Marrowlight Overview");
    EXPECT_FALSE(window.BackAct->isEnabled());
    EXPECT_TRUE(window.ForwardAct->isEnabled());
    QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window.PageTitle(), "Options");
    window.HomeAct->trigger();
    EXPECT_EQ(window.PageTitle(), "Marrowlight Overview");

    // An empty topic is the start page, an unknown one too.
    ASSERT_TRUE(window.ShowTopic("Display.htm"));
    EXPECT_TRUE(window.ShowTopic(""));
    EXPECT_EQ(window.PageTitle(), "Marrowlight Overview");
    EXPECT_FALSE(window.ShowTopic("Missing.htm"));
    EXPECT_EQ(window.PageTitle(), "Marrowlight Overview");
}

TEST_F(HelpViewer, SearchListsPagesHoldingEveryWord) {
    HelpViewerWindow window(help);
    window.ShowTopic("Overview.htm");
    const struct {
        QString query;
        QString first; // title of the first page found; empty: none found
    } cases[] = {
        {"date masks", "Opening and closing logs automatically"}, // a keyword of the index
        {"GUTTER", "How lines are shown"},
        {"CheckInternet exit code", "Command line"},
        {"gutter zyxwv", ""},
        {"   ", ""},
    };
    for (const auto& c : cases) {
        window.SearchField->setText(c.query);
        if (c.first.isEmpty()) {
            EXPECT_EQ(window.FoundList->count(), 0) << c.query.toStdString();
            continue;
        }
        ASSERT_GT(window.FoundList->count(), 0) << c.query.toStdString();
        EXPECT_EQ(window.FoundList->item(0)->text(), c.first) << c.query.toStdString();
    }

    window.SearchField->setText("wildcards");
    QTest::keyClick(window.SearchField, Qt::Key_Return);
    EXPECT_EQ(window.PageTitle(), window.FoundList->item(0)->text());
}

TEST_F(HelpViewer, ContentsLeadToTheirPages) {
    HelpViewerWindow window(help);
    window.ShowTopic("Overview.htm");
    QAbstractItemModel* contents = window.ContentsTree->model();
    for (int i = 0; i < 500 && contents->rowCount() == 0; ++i)
        QTest::qWait(10);
    ASSERT_EQ(contents->rowCount(), 1);
    const QModelIndex top = contents->index(0, 0);
    EXPECT_EQ(top.data().toString(), "Marrowlight");

    QModelIndex options;
    for (int row = 0; row < contents->rowCount(top); ++row)
        if (contents->index(row, 0, top).data().toString() == "Options")
            options = contents->index(row, 0, top);
    ASSERT_TRUE(options.isValid());
    emit window.ContentsTree->clicked(options);
    EXPECT_EQ(window.PageTitle(), "Options");
    EXPECT_EQ(window.ContentsTree->currentIndex(), options);
}

TEST_F(HelpViewer, EveryControlIsNamedByItsVisibleText) {
    HelpViewerWindow window(help);
    window.ShowTopic("Groups.htm");
    const struct {
        QObject* control;
        QString name;
    } cases[] = {
        {window.ContentsTree, "Contents"},
        {window.SearchField, "Search"},
        {window.FoundList, "Found pages"},
        {window.NavigationBar->widgetForAction(window.BackAct), "Back"},
        {window.NavigationBar->widgetForAction(window.ForwardAct), "Forward"},
        {window.NavigationBar->widgetForAction(window.HomeAct), "Home"},
        {window.Browser, "Groups, colours and View filters"},
        {&window, "Marrowlight Help"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AccessibleName(c.control), c.name);
}

} // namespace
} // namespace marrowlight
