// marrowlight-help: shows a page of a compiled help file.
//
//   marrowlight-help FILE.qch[::/TOPIC]
//   marrowlight-help --check-topic FILE.qch[::/TOPIC]
//
// The second form shows nothing: it prints the page's title and every link of
// the page with "ok" or "broken", and exits with 0 only when the page exists
// and every link into the help file leads somewhere.
#include "app/helpviewer/HelpCollection.h"
#include "app/helpviewer/HelpViewerWindow.h"
#include "support/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>

namespace {

const char* const Usage = "Usage: marrowlight-help [--check-topic] FILE.qch[::/TOPIC]\n";

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// The collection is a cache: it may be rebuilt at any time, and the help
// file's own folder may be read-only.
QString CollectionFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::tempPath();
    return folder;
}

int Check(marrowlight::HelpViewerWindow& window, const QString& topic) {
    const bool found = window.ShowTopic(topic);
    if (!found)
        Print(stderr, QStringLiteral("no page \"%1\"").arg(topic));
    Print(stdout, QStringLiteral("title: ") + window.PageTitle());
    bool linksOk = true;
    for (const auto& link : window.PageLinks()) {
        if (!link.internal)
            continue;
        linksOk = linksOk && link.resolves;
        Print(stdout, QStringLiteral("link: %1 %2")
                          .arg(link.resolves ? QStringLiteral("ok") : QStringLiteral("broken"),
                               link.url.toString()));
    }
    return found && linksOk ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Veltaroon"));
    QApplication::setApplicationName(QStringLiteral("marrowlight-help"));
    QApplication::setApplicationDisplayName(QStringLiteral("Marrowlight Help"));
    marrowlight::SetDesktopIdentity();

    QStringList args = QApplication::arguments().mid(1);
    const bool check = args.removeAll(QStringLiteral("--check-topic")) > 0;
    if (args.size() != 1) {
        std::fputs(Usage, stderr);
        return 2;
    }

    const marrowlight::HelpTarget target = marrowlight::SplitHelpArgument(args.first());
    marrowlight::HelpCollection help(target.file, CollectionFolder());
    if (!help.IsOpen()) {
        if (check)
            Print(stderr, help.Error());
        else
            QMessageBox::warning(nullptr, QStringLiteral("Marrowlight Help"), help.Error());
        return 1;
    }

    marrowlight::HelpViewerWindow window(help);
    if (check)
        return Check(window, target.topic);
    window.ShowTopic(target.topic);
    window.show();
    return app.exec();
}
