#include "app/FileDrop.h"

#include "support/core/PathUtils.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace marrowlight {
namespace {

QString ShownName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(path)));
}

} // namespace

QString AutomaticModeRefusal() {
    return QStringLiteral("Logs are opened and closed automatically: turn off \"Open & Close Logs "
                          "Automatically\" in the File menu to open or close logs yourself.");
}

QString DropStatusMessage(const DropPlan& plan) {
    if (plan.refused)
        return AutomaticModeRefusal();
    if (plan.ignored.empty())
        return {};
    if (plan.ignored.size() > 1)
        return QStringLiteral("%1 dropped items were not opened: only files, not folders, devices "
                              "or pipes, open as logs.")
            .arg(plan.ignored.size());
    const IgnoredDrop& item = plan.ignored.front();
    const QString name = ShownName(item.path);
    switch (item.kind) {
    case DroppedKind::Folder:
        return QStringLiteral("\"%1\" was not opened: it is a folder.").arg(name);
    case DroppedKind::OtherFile:
        return QStringLiteral("\"%1\" was not opened: it is not a regular file.").arg(name);
    case DroppedKind::Missing:
        return QStringLiteral("\"%1\" was not opened: it does not exist.").arg(name);
    case DroppedKind::NotLocal:
    case DroppedKind::RegularFile:
        break;
    }
    return QStringLiteral("A dropped item was not opened: it is not a local file.");
}

std::string LocalPathOfUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // A file manager sends a name that is not UTF-8 ("caf\xE9.log") as
    // "caf%E9.log"; a QString would turn the byte into U+FFFD and name
    // another file. The percent-encoding holds the bytes themselves.
    QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = url.host();
    if (!host.isEmpty() && host.compare("localhost", Qt::CaseInsensitive) != 0)
        path.prepend("//" + host.toUtf8());
    return path.toStdString();
}

std::vector<std::string> DroppedPaths(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls())
        paths.push_back(LocalPathOfUrl(url));
    return paths;
}

FileDropTarget::FileDropTarget(QWidget& window, std::function<bool()> openedAutomatically,
                               std::function<void(const std::string& path)> openLog,
                               std::function<void(const QString& text)> showStatus)
    : QObject(&window), openedAutomatically_(std::move(openedAutomatically)),
      openLog_(std::move(openLog)), showStatus_(std::move(showStatus)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

DropPlan FileDropTarget::Drop(const std::vector<std::string>& paths) {
    const DropPlan plan = PlanDrop(paths, openedAutomatically_());
    for (const std::string& path : plan.open)
        openLog_(path);
    const QString message = DropStatusMessage(plan);
    if (!message.isEmpty())
        showStatus_(message);
    return plan;
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!enter->mimeData()->hasUrls())
            return false;
        // Refused at once, so the cursor says no and the status bar says why.
        if (openedAutomatically_()) {
            showStatus_(AutomaticModeRefusal());
            enter->ignore();
            return true;
        }
        enter->setDropAction(Qt::CopyAction);
        enter->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto* move = static_cast<QDragMoveEvent*>(event);
        if (!move->mimeData()->hasUrls())
            return false;
        move->setDropAction(Qt::CopyAction);
        move->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            return false;
        // The files are only read: the source must never delete them as if moved.
        drop->setDropAction(Qt::CopyAction);
        const DropPlan plan = Drop(DroppedPaths(*drop->mimeData()));
        if (plan.open.empty())
            drop->ignore();
        else
            drop->accept();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace marrowlight
