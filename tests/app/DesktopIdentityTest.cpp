#include "app/MainWindow.h"
#include "settings/FolderBrowseDialog.h"
#include "settings/OptionsDialog.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/AppIcon.h"
#include "support/core/RecordingSoundOutput.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(DesktopIdentity, TheWindowAndEveryDialogCarryTheDrawnIcon) {
    const QIcon icon = MarrowlightIcon();
    ASSERT_FALSE(icon.isNull()) << "the SVG icon needs Qt's SVG image support";
    for (const int size : {16, 48, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.width(), size);
        // Rounded corners stay clear; the middle is drawn.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }

    SetDesktopIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "com.veltaroon.Marrowlight");
    const qint64 key = QApplication::windowIcon().cacheKey();

    MemorySettingsBackend backend;
    SettingsStore store(backend, "Marrowlight");
    RecordingSoundOutput sound;
    MainWindow frm(store, {"marrowlight"});
    auto* options = new OptionsDialog(store, sound, false, &frm);
    frm.AttachOptions(*options);
    FolderBrowseDialog browse(options);
    QMessageBox box(&frm);
    for (const QWidget* window :
         std::initializer_list<const QWidget*>{&frm, options, &browse, &box})
        EXPECT_EQ(window->windowIcon().cacheKey(), key) << window->metaObject()->className();

    int shown = 0;
    frm.ShowModal = [&](QDialog& about) {
        ++shown;
        EXPECT_EQ(about.windowIcon().cacheKey(), key);
        return 0;
    };
    frm.AboutAction->trigger();
    EXPECT_EQ(shown, 1);
}

} // namespace
} // namespace marrowlight
