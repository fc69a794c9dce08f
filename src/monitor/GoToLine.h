#pragma once

#include "monitor/core/FilterScan.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

class QWidget;

namespace marrowlight {

class LogListModel;
class LogListView;
class LogTab;

// Selects the row of a list that shows a line of the file, or the nearest
// shown one. Finding it may read the whole log, so it runs in slices like
// the filter; it ends by itself, also when the list is read again or goes.
class LineJump : public QObject {
    Q_OBJECT

  public:
    LineJump(LogListView& list, LogListModel& model, bool newestAtTop, uint64_t lineNo,
             QObject* parent = nullptr);
    bool Running() const { return slice_.isActive(); }

    // Reads a line number as typed: digits only, 1 or more; none otherwise.
    static std::optional<uint64_t> ParseLineNumber(const QString& text);
    // Asks for a line number of the active log's file and goes there.
    static void Ask(LogTab& tab, QWidget* parent);

  signals:
    // How it ended, for the status bar; then the jump deletes itself.
    void Finished(const QString& message);

  private:
    void RunSlice();
    void Finish(const QString& message);

    LogListView& list_;
    LogListModel& model_;
    const uint64_t lineNo_;
    LineSeek seek_;
    QTimer slice_;
};

} // namespace marrowlight
