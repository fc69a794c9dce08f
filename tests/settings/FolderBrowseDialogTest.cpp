#include "settings/FolderBrowseDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QIcon>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// The model lists folders on a loader thread; give it time without sleeping
// longer than needed.
template <typename Done> bool WaitFor(Done done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class FolderBrowseDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        deep = temp.filePath("logs/app one/current");
        ASSERT_TRUE(QDir().mkpath(deep));
    }

    QTemporaryDir temp;
    QString deep;
};

TEST_F(FolderBrowseDialogTest, PreselectsAnExistingFolderElseTheFileSystemRoot) {
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    const struct {
        QString initial;
        QString selected;
    } cases[] = {
        {deep, deep},
        {deep + "/", deep},
        {" " + deep, root}, // the existence test sees the leading blank
        {deep + "/missing", root},
        {QString(), root},
        {temp.filePath("logs/../logs"), temp.filePath("logs")},
    };
    for (const auto& c : cases) {
        FolderBrowseDialog dialog;
        dialog.SetInitialFolder(c.initial);
        const std::string initial = c.initial.toStdString();
        EXPECT_EQ(dialog.SelectedFolder().toStdString(),
                  QDir::toNativeSeparators(c.selected).toStdString())
            << initial;
        EXPECT_TRUE(dialog.OkButton->isEnabled()) << initial;
    }
}

TEST_F(FolderBrowseDialogTest, OkOnlyForAFolderThatIsThere) {
    const QString doomed = temp.filePath("rotated");
    ASSERT_TRUE(QDir().mkpath(doomed));

    FolderBrowseDialog dialog;
    dialog.SetInitialFolder(doomed);
    ASSERT_EQ(dialog.SelectedFolder().toStdString(), doomed.toStdString());
    EXPECT_TRUE(dialog.OkButton->isEnabled());

    ASSERT_TRUE(QDir(doomed).removeRecursively());
    dialog.show(); // showing checks the selection again
    EXPECT_FALSE(dialog.OkButton->isEnabled());

    dialog.ShellTreeView->clearSelection();
    EXPECT_TRUE(dialog.SelectedFolder().isEmpty());
    EXPECT_FALSE(dialog.OkButton->isEnabled());
}

TEST_F(FolderBrowseDialogTest, DeepPreselectionStaysInViewWhileFoldersLoad) {
    // Siblings that sort before the target arrive after it was selected.
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(QDir().mkpath(temp.filePath(QString("logs/a%1").arg(i, 3, 10, QChar('0')))));

    FolderBrowseDialog dialog;
    dialog.SetInitialFolder(deep);
    dialog.show();
    QTreeView* tree = dialog.ShellTreeView;
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex logs = model->index(temp.filePath("logs"));
    ASSERT_TRUE(WaitFor([&] { return model->rowCount(logs) == 151; }));

    EXPECT_TRUE(WaitFor(
        [&] { return tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())); },
        2000));
    EXPECT_EQ(dialog.SelectedFolder().toStdString(), deep.toStdString());
}

TEST_F(FolderBrowseDialogTest, HiddenFoldersAreListedAndCanBeChosen) {
    const QString hidden = temp.filePath(".local/share/app");
    ASSERT_TRUE(QDir().mkpath(hidden));

    FolderBrowseDialog dialog;
    dialog.show();
    auto* model = qobject_cast<QFileSystemModel*>(dialog.ShellTreeView->model());
    const QModelIndex root = model->index(temp.path());
    model->fetchMore(root);
    // "logs" from SetUp and ".local" both show up under the root.
    ASSERT_TRUE(WaitFor([&] { return model->rowCount(root) == 2; }));
    const QModelIndex local = model->index(temp.filePath(".local"));
    ASSERT_TRUE(local.isValid());
    EXPECT_EQ(local.parent(), root);

    dialog.SetInitialFolder(hidden);
    EXPECT_EQ(dialog.SelectedFolder().toStdString(),
              QDir::toNativeSeparators(hidden).toStdString());
    EXPECT_TRUE(dialog.OkButton->isEnabled());
}

TEST_F(FolderBrowseDialogTest, TheTreeIsNamedAndShowsFolderIconsWithoutAnIconTheme) {
    FolderBrowseDialog dialog;
    dialog.SetInitialFolder(deep);
    dialog.show();
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(dialog.ShellTreeView);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->text(QAccessible::Name).toStdString(), "Folders");

    auto* model = qobject_cast<QFileSystemModel*>(dialog.ShellTreeView->model());
    for (const QString& folder : {temp.filePath("logs"), deep, QDir::rootPath()}) {
        const QModelIndex node = model->index(folder);
        ASSERT_TRUE(node.isValid()) << folder.toStdString();
        EXPECT_TRUE(WaitFor([&] {
            return !model->data(node, Qt::DecorationRole).value<QIcon>().isNull();
        })) << folder.toStdString();
    }
}

TEST_F(FolderBrowseDialogTest, ButtonsStayCentredAndTheDialogNeverShrinksBelowItsDesignSize) {
    FolderBrowseDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Directories");
    EXPECT_EQ(dialog.size(), QSize(373, 397));
    EXPECT_EQ(dialog.minimumSize(), QSize(373, 397));

    dialog.resize(501, 600);
    EXPECT_EQ(dialog.OkButton->geometry().right() + 1, 250 - 2);
    EXPECT_EQ(dialog.CancelButton->x(), 250);
    EXPECT_EQ(dialog.OkButton->geometry().bottom(), dialog.CancelButton->geometry().bottom());
    EXPECT_GT(dialog.OkButton->y(), dialog.ShellTreeView->geometry().bottom());
    EXPECT_GT(dialog.OkButton->y(), 550);

    dialog.resize(200, 100);
    EXPECT_EQ(dialog.size(), QSize(373, 397));

    // The grip's first ridge sits in the corner, clear of the tree and buttons.
    EXPECT_EQ(dialog.grab().toImage().pixel(373 - 2, 397 - 1),
              dialog.palette().color(QPalette::Dark).rgb());
}

TEST_F(FolderBrowseDialogTest, BrowseReturnsTheChosenFolderOnlyOnOk) {
    const struct {
        bool ok;
        std::optional<std::string> result;
    } cases[] = {{true, QDir::toNativeSeparators(deep).toStdString()}, {false, std::nullopt}};
    for (const auto& c : cases) {
        QTimer::singleShot(0, [ok = c.ok] {
            auto* dialog = qobject_cast<FolderBrowseDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            (ok ? dialog->OkButton : dialog->CancelButton)->click();
        });
        const std::optional<QString> chosen = FolderBrowseDialog::Browse(nullptr, deep);
        EXPECT_EQ(chosen ? std::optional(chosen->toStdString()) : std::nullopt, c.result) << c.ok;
    }
}

} // namespace
} // namespace marrowlight
