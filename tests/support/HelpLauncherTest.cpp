#include "support/HelpLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

// Failures show Qt texts as text.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace marrowlight {
namespace {

// A prefix laid out like an installed copy: the program in bin/, the data in
// share/marrowlight/. Its name holds a blank, which a viewer started through
// a shell would split.
class HelpPrefix {
  public:
    HelpPrefix() : dir_(QDir::tempPath() + "/marrow light XXXXXX") {}

    QString Path(const QString& relative) const { return QDir::cleanPath(dir_.filePath(relative)); }
    QString Program() const { return Path("bin/marrowlight"); }

    // A relative path ending in "/" makes a folder, anything else a file.
    void Make(const QString& relative, bool executable = false) const {
        if (relative.endsWith('/')) {
            QDir().mkpath(Path(relative));
            return;
        }
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (executable)
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

  private:
    QTemporaryDir dir_;
};

struct Start {
    QString program;
    QStringList arguments;
};

// Records what would be started and starts nothing.
HelpLauncher::ViewerStarter Recorder(std::vector<Start>& starts) {
    return [&starts](QProcess&, const QString& program, const QStringList& arguments) {
        starts.push_back({program, arguments});
    };
}

TEST(HtmlHelp, FindsTheHelpFileBesideTheProgramThenInHelpRedistAndShare) {
    const struct {
        std::vector<QString> made;
        QString found; // relative to the prefix; empty: none
    } cases[] = {
        {{"bin/marrowlight.qch", "bin/Help/marrowlight.qch"}, "bin/marrowlight.qch"},
        {{"bin/Help/marrowlight.qch", "bin/Redist/marrowlight.qch"}, "bin/Help/marrowlight.qch"},
        {{"bin/Redist/marrowlight.qch", "share/marrowlight/marrowlight.qch"},
         "bin/Redist/marrowlight.qch"},
        {{"share/marrowlight/marrowlight.qch"}, "share/marrowlight/marrowlight.qch"},
        // A folder of that name is no help file.
        {{"bin/marrowlight.qch/", "bin/Redist/marrowlight.qch"}, "bin/Redist/marrowlight.qch"},
        {{"bin/Help/other.qch", "share/marrowlight.qch"}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        HelpPrefix prefix;
        for (const QString& path : c.made)
            prefix.Make(path);
        const HelpLauncher help("marrowlight.qch", prefix.Program());
        EXPECT_EQ(help.HelpFilePath(), c.found.isEmpty() ? QString() : prefix.Path(c.found))
            << "made: " << c.made.size() << " paths, first "
            << (c.made.empty() ? "" : c.made[0].toStdString());
        EXPECT_EQ(help.HelpFileName(), "marrowlight.qch");
    }
}

TEST(HtmlHelp, GivesTheViewerFileAndTopicAsOneArgument) {
    HelpPrefix prefix;
    prefix.Make("bin/marrowlight.qch");
    prefix.Make("bin/marrowlight-help", true);
    const QString file = prefix.Path("bin/marrowlight.qch");

    const struct {
        QString topic;
        QString argument;
    } cases[] = {
        {"Overview.htm", file + "::/Overview.htm"},
        {"Options.htm", file + "::/Options.htm"},
        {"Logs.htm#gutter", file + "::/Logs.htm#gutter"},
        {"", file},
    };
    for (const auto& c : cases) {
        std::vector<Start> starts;
        HelpLauncher help("marrowlight.qch", prefix.Program());
        help.StartViewer = Recorder(starts);
        help.ShowMessage = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
        help.ShowTopic(c.topic);
        ASSERT_EQ(starts.size(), 1u) << c.topic.toStdString();
        EXPECT_EQ(starts[0].program, prefix.Path("bin/marrowlight-help"));
        EXPECT_EQ(starts[0].arguments, QStringList{c.argument});
        // Nothing was started, so nothing is left to end.
        EXPECT_EQ(help.ViewerProcess(), nullptr);
    }
}

TEST(HtmlHelp, TakesTheViewerBesideTheProgramElseFromPath) {
    HelpPrefix prefix;
    prefix.Make("bin/marrowlight.qch");
    prefix.Make("tools/marrowlight-help", true);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(prefix.Path("tools") + QDir::listSeparator()) + path);

    // A file beside the program that cannot run is passed over.
    prefix.Make("bin/marrowlight-help", false);
    EXPECT_EQ(HelpLauncher("marrowlight.qch", prefix.Program()).ViewerProgram(),
              prefix.Path("tools/marrowlight-help"));
    QFile(prefix.Path("bin/marrowlight-help"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(HelpLauncher("marrowlight.qch", prefix.Program()).ViewerProgram(),
              prefix.Path("bin/marrowlight-help"));
    qputenv("PATH", path);
}

TEST(HtmlHelp, WithoutHelpFileSaysSoAndStartsNothing) {
    HelpPrefix prefix;
    prefix.Make("bin/marrowlight-help", true);
    for (const QString& name : {QString("marrowlight.qch"), QString("docs/marrowlight.qch")}) {
        std::vector<Start> starts;
        QStringList messages;
        HelpLauncher help(name, prefix.Program());
        help.StartViewer = Recorder(starts);
        help.ShowMessage = [&messages](const QString& text) { messages << text; };
        help.ShowTopic("Overview.htm");
        help.ShowTopic("");
        // The bare file name, never a path.
        EXPECT_EQ(messages, QStringList(2, "Help file \"marrowlight.qch\" not found."));
        EXPECT_TRUE(starts.empty());
    }
}

// Waits until a process object is gone, that is its process has ended and
// been reaped.
bool Gone(const QPointer<QProcess>& process) {
    for (int i = 0; i < 500 && process; ++i)
        QTest::qWait(10);
    return !process;
}

TEST(HtmlHelp, LeavesOneRealViewerOpenAfterTwoTopicsAndKeepsItAfterDestruction) {
    QTemporaryDir cache;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString buildFolder = QFileInfo(MARROWLIGHT_HELP_VIEWER).path();

    auto help = std::make_unique<HelpLauncher>("marrowlight.qch", buildFolder + "/marrowlight");
    ASSERT_EQ(help->HelpFilePath(), QDir::cleanPath(MARROWLIGHT_HELP_FILE));
    ASSERT_EQ(help->ViewerProgram(), QDir::cleanPath(MARROWLIGHT_HELP_VIEWER));
    std::vector<Start> starts;
    const HelpLauncher::ViewerStarter real = help->StartViewer;
    help->StartViewer = [&](QProcess& process, const QString& program, const QStringList& args) {
        starts.push_back({program, args});
        real(process, program, args);
    };

    help->ShowTopic("Overview.htm");
    const QPointer<QProcess> first = help->ViewerProcess();
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->waitForStarted());
    help->ShowTopic("Options.htm");
    const QPointer<QProcess> second = help->ViewerProcess();
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->waitForStarted());

    EXPECT_TRUE(Gone(first));
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(starts[1].arguments.value(0).endsWith("::/Options.htm"));
    // The viewer found its page and keeps its window open.
    EXPECT_FALSE(second->waitForFinished(500));

    help.reset();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->state(), QProcess::Running);
    second->kill();
    EXPECT_TRUE(Gone(second));
    qputenv("XDG_CACHE_HOME", oldCache);
}

} // namespace
} // namespace marrowlight
