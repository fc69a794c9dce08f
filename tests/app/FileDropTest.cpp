#include "app/FileDrop.h"

#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OptionsDialog.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace marrowlight {
namespace {

// A window over an in-memory store, with a folder holding a log, a second
// log already open, a folder and a FIFO to drop.
struct DropRig {
    DropRig() : store(backend, "Marrowlight"), frm(store, {"marrowlight"}) {
        options = new OptionsDialog(store, sound, false, &frm);
        frm.AttachOptions(*options);
        QDir(dir.path()).mkdir("archive");
        for (const char* name : {"new.log", "open.log", "R&D log é.log"}) {
            QFile file(Path(name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ::mkfifo(Bytes("pipe").c_str(), 0600);
        frm.Tabs()->OpenLog(Bytes("open.log"));
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    std::string Bytes(const char* name) const {
        return QFile::encodeName(Path(name)).toStdString();
    }
    std::vector<std::string> Tabs() const {
        std::vector<std::string> paths;
        for (int i = 0; i < frm.Tabs()->Count(); ++i)
            paths.push_back(frm.Tabs()->Tab(i)->FileName());
        return paths;
    }
    QString Status() const { return frm.StatusBar->currentMessage(); }

    QTemporaryDir dir;
    MemorySettingsBackend backend;
    SettingsStore store;
    RecordingSoundOutput sound;
    MainWindow frm;
    OptionsDialog* options = nullptr;
};

TEST(FileDrop, DroppedFilesOpenLikeOpenLogAndTheRestSaysWhyNot) {
    const struct Case {
        std::vector<const char*> dropped;
        bool automatic;
        std::vector<const char*> tabsAfter; // "open.log" was open before
        const char* active;
        std::vector<const char*> recentAfter;
        std::vector<const char*> statusHas; // empty: no message
    } cases[] = {
        {{"new.log"}, false, {"open.log", "new.log"}, "new.log", {"new.log"}, {}},
        {{"open.log"}, false, {"open.log"}, "open.log", {"open.log"}, {}},
        {{"archive"}, false, {"open.log"}, "open.log", {}, {"\"archive\"", "folder"}},
        {{"pipe"}, false, {"open.log"}, "open.log", {}, {"\"pipe\"", "not a regular file"}},
        {{"gone.log"}, false, {"open.log"}, "open.log", {}, {"\"gone.log\"", "does not exist"}},
        {{"new.log", "archive", "pipe", "R&D log é.log"},
         false,
         {"open.log", "new.log", "R&D log é.log"},
         "R&D log é.log",
         {"R&D log é.log", "new.log"},
         {"2 dropped items"}},
        {{"new.log", "archive"}, true, {"open.log"}, "open.log", {}, {"automatically"}},
    };
    for (const Case& c : cases) {
        DropRig rig;
        rig.frm.AutomaticModeAction->setChecked(c.automatic);
        std::vector<std::string> dropped;
        for (const char* name : c.dropped)
            dropped.push_back(rig.Bytes(name));
        rig.frm.FileDrop->Drop(dropped);

        const std::string label = dropped.front() + (c.automatic ? " (automatic)" : "");
        std::vector<std::string> tabs, recent;
        for (const char* name : c.tabsAfter)
            tabs.push_back(rig.Bytes(name));
        for (const char* name : c.recentAfter)
            recent.push_back(rig.Bytes(name));
        EXPECT_EQ(rig.Tabs(), tabs) << label;
        EXPECT_EQ(rig.frm.Tabs()->ActiveFileName(), rig.Bytes(c.active)) << label;
        EXPECT_EQ(rig.frm.FileHistory().Entries(), recent) << label;
        if (c.statusHas.empty()) {
            EXPECT_EQ(rig.Status(), "") << label;
        }
        for (const char* part : c.statusHas)
            EXPECT_TRUE(rig.Status().contains(QString::fromUtf8(part)))
                << label << ": " << rig.Status().toStdString();
    }
}

TEST(FileDrop, TheWindowTakesDroppedUrlsAsCopiesAndRefusesThemInAutomaticMode) {
    DropRig rig;
    ASSERT_TRUE(rig.frm.acceptDrops());
    // A child that took drops itself would keep them from the window, over the list too.
    for (const QWidget* child : rig.frm.findChildren<QWidget*>()) {
        if (child->window() == &rig.frm) {
            EXPECT_FALSE(child->acceptDrops()) << child->metaObject()->className();
        }
    }
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(rig.Path("R&D log é.log")), QUrl("https://example.org/a.log"),
                  QUrl::fromLocalFile(rig.Path("new.log"))});
    EXPECT_EQ(DroppedPaths(data),
              (std::vector<std::string>{rig.Bytes("R&D log é.log"), "", rig.Bytes("new.log")}));

    const QPoint where(20, 20);
    QDragEnterEvent enter(where, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction) << "a dropped log is read, never moved";
    QDropEvent drop(where, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(rig.Tabs(),
              (std::vector<std::string>{rig.Bytes("open.log"), rig.Bytes("R&D log é.log"),
                                        rig.Bytes("new.log")}));
    EXPECT_TRUE(rig.Status().contains("not a local file")) << rig.Status().toStdString();

    // Text without URLs is not ours to take.
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent textEnter(where, Qt::CopyAction, &text, Qt::LeftButton, {});
    textEnter.ignore();
    QApplication::sendEvent(&rig.frm, &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());

    // In automatic mode the cursor refuses at once and the status bar says why.
    rig.frm.StatusBar->clearMessage();
    rig.frm.AutomaticModeAction->setChecked(true);
    QDragEnterEvent refused(where, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(rig.Status(), AutomaticModeRefusal());
    QDropEvent late(where, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &late);
    EXPECT_FALSE(late.isAccepted());
    EXPECT_EQ(rig.frm.Tabs()->Count(), 3);
}

// File managers send the bytes of a name as its percent-encoding, whatever
// the bytes are; only those bytes name the file.
TEST(FileDrop, ADroppedNameKeepsTheBytesOfItsPercentEncoding) {
    DropRig rig;
    const std::string dir = QFile::encodeName(rig.dir.path()).toStdString();
    const QByteArray dirUrl = QUrl::fromLocalFile(rig.dir.path()).toEncoded();
    std::ofstream(dir + "/caf\xE9.log") << "latin-1 name\r\n";
    const struct {
        QByteArray uri;
        std::string path;
    } cases[] = {
        {dirUrl + "/caf%E9.log", dir + "/caf\xE9.log"},
        {dirUrl + "/caf%C3%A9.log", dir + "/caf\xC3\xA9.log"},
        {"file://localhost/var/log/a%20b.log", "/var/log/a b.log"},
        {"file:///tmp/100%25.log", "/tmp/100%.log"},
        {"file://server/share/x.log", "//server/share/x.log"},
        {"https://example.org/a.log", ""},
    };
    for (const auto& c : cases) {
        QMimeData data;
        data.setData("text/uri-list", c.uri + "\r\n");
        EXPECT_EQ(DroppedPaths(data), std::vector<std::string>{c.path}) << c.uri.toStdString();
    }

    QMimeData data;
    data.setData("text/uri-list", dirUrl + "/caf%E9.log\r\n");
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &enter);
    QDropEvent drop(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rig.frm, &drop);
    EXPECT_TRUE(drop.isAccepted()) << rig.Status().toStdString();
    EXPECT_EQ(rig.Tabs().back(), dir + "/caf\xE9.log");
}

} // namespace
} // namespace marrowlight
