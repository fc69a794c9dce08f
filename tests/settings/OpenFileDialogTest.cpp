#include "settings/OpenFileDialog.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

struct DialogRig {
    DialogRig() {
        for (const char* name : {"syslog", "app.log"}) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::WriteOnly);
        }
        open.nameFilters = {"Log files (*.log)", "All files (*)"};
        open.defaultExtension = "log";
        open.fileMustExist = false;
        open.directory = dir.path();
    }
    // Shows nothing: the dialog is prepared, answered with `typed` and finished.
    bool Answer(const QString& typed, int result = QDialog::Accepted) {
        QFileDialog dialog;
        open.Prepare(dialog);
        offered = dialog.selectedFiles();
        filter = dialog.selectedNameFilter();
        title = dialog.windowTitle();
        if (!typed.isEmpty())
            dialog.selectFile(typed);
        return open.Finish(dialog, result);
    }
    QTemporaryDir dir;
    OpenFileDialog open;
    QStringList offered;
    QString filter;
    QString title;
};

TEST(OpenFileDialog, TypedNamesGetTheDefaultExtensionOnlyWhenNoSuchFileExists) {
    const struct {
        const char* typed;
        const char* chosen;
    } cases[] = {
        {"server", "server.log"}, // neither exists: the usual kind of log
        {"syslog", "syslog"},     // exists as it is
        {"app.log", "app.log"},
        {"notes.txt", "notes.txt"}, // has an extension of its own
    };
    for (const auto& c : cases) {
        DialogRig rig;
        ASSERT_TRUE(rig.Answer(c.typed)) << c.typed;
        EXPECT_EQ(rig.open.fileName, rig.dir.filePath(c.chosen)) << c.typed;
    }
}

TEST(OpenFileDialog, OffersTheLastChoiceAgainAndKeepsItOnCancel) {
    DialogRig rig;
    ASSERT_TRUE(rig.Answer("app.log"));
    EXPECT_EQ(rig.filter, "Log files (*.log)") << "the first filter comes preselected";
    EXPECT_FALSE(rig.title.isEmpty()) << "without a title of ours the dialog keeps its own";

    EXPECT_FALSE(rig.Answer("syslog", QDialog::Rejected));
    EXPECT_EQ(rig.offered, QStringList{rig.dir.filePath("app.log")});
    EXPECT_EQ(rig.open.fileName, rig.dir.filePath("app.log")) << "a cancel changes nothing";

    EXPECT_TRUE(rig.Answer(""));
    EXPECT_EQ(rig.offered, QStringList{rig.dir.filePath("app.log")});
}

} // namespace
} // namespace marrowlight
