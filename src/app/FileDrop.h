#pragma once

#include "app/core/DropPlan.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QUrl;
class QWidget;

namespace marrowlight {

// Status texts of a drop.
QString AutomaticModeRefusal();
// Why the ignored items of a drop did not open; empty when none was ignored.
QString DropStatusMessage(const DropPlan& plan);

// The bytes of a file URL's path, taken from its percent-encoding so a name
// that is not UTF-8 keeps its bytes; empty for a URL that is no local file.
std::string LocalPathOfUrl(const QUrl& url);

// The dropped items as paths in bytes, in drop order; an item that is not a
// local file gives an empty path, so it is reported and never opened.
std::vector<std::string> DroppedPaths(const QMimeData& data);

// Lets files be dropped on a window: each regular file opens as a log, as
// "Open Log" would open it. Installs itself as the window's event filter.
class FileDropTarget : public QObject {
    Q_OBJECT

  public:
    FileDropTarget(QWidget& window, std::function<bool()> openedAutomatically,
                   std::function<void(const std::string& path)> openLog,
                   std::function<void(const QString& text)> showStatus);

    // What a drop of `paths` does: opens the files, shows the status text.
    DropPlan Drop(const std::vector<std::string>& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<bool()> openedAutomatically_;
    std::function<void(const std::string&)> openLog_;
    std::function<void(const QString&)> showStatus_;
};

} // namespace marrowlight
