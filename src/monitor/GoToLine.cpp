#include "monitor/GoToLine.h"

#include "monitor/FindBar.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"

#include <QElapsedTimer>
#include <QInputDialog>
#include <charconv>

namespace marrowlight {

namespace {

constexpr qint64 SliceMs = 12;
constexpr uint64_t StepBytes = uint64_t{1} << 20;

} // namespace

LineJump::LineJump(LogListView& list, LogListModel& model, bool newestAtTop, uint64_t lineNo,
                   QObject* parent)
    : QObject(parent), list_(list), model_(model), lineNo_(lineNo),
      seek_(lineNo, newestAtTop, model.Lines()) {
    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, &LineJump::RunSlice);
    // The list's own end ends the jump: nothing is left to select.
    connect(&list, &QObject::destroyed, this, [this] {
        slice_.stop();
        deleteLater();
    });
    slice_.start();
}

std::optional<uint64_t> LineJump::ParseLineNumber(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || at != end || value == 0)
        return std::nullopt;
    return value;
}

void LineJump::Ask(LogTab& tab, QWidget* parent) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, QStringLiteral("Go to Line"),
                                               QStringLiteral("Line number in the file:"),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    const std::optional<uint64_t> lineNo = ParseLineNumber(text);
    if (!lineNo) {
        emit tab.StatusMessage(QStringLiteral("Not a line number: ") + text.trimmed());
        return;
    }
    const bool top = tab.Finder().NewestAtTop ? tab.Finder().NewestAtTop() : false;
    auto* jump = new LineJump(*tab.ListView(), tab.Model(), top, *lineNo, &tab);
    connect(jump, &LineJump::Finished, &tab, &LogTab::StatusMessage);
}

void LineJump::RunSlice() {
    const LineIndex& lines = model_.Lines();
    if (seek_.Outdated(lines)) {
        Finish(QStringLiteral("Go to line stopped: the log was read again."));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    FilterState state;
    do {
        state = seek_.Step(lines, StepBytes);
    } while (state == FilterState::Running && clock.elapsed() < SliceMs);
    if (state == FilterState::Running) {
        emit Finished(QStringLiteral("Going to line %1: %2%")
                          .arg(lineNo_)
                          .arg(int(seek_.Progress(lines) * 100)));
        slice_.start();
        return;
    }
    if (state == FilterState::Stopped) {
        Finish(QStringLiteral("Go to line stopped: ") + QString::fromStdString(seek_.Error()));
        return;
    }
    const std::optional<size_t> row = seek_.Row(lines);
    if (!row) {
        Finish(QStringLiteral("The log shows no lines."));
        return;
    }
    const QModelIndex index = model_.index(int(*row), 0);
    list_.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    list_.scrollTo(index, QAbstractItemView::PositionAtCenter);
    list_.setFocus(Qt::OtherFocusReason);
    const uint64_t shown = seek_.RowLine().value_or(lineNo_);
    Finish(shown == lineNo_
               ? QStringLiteral("Line %1").arg(lineNo_)
               : QStringLiteral("Line %1 is not shown; line %2 is the nearest shown one")
                     .arg(lineNo_)
                     .arg(shown));
}

void LineJump::Finish(const QString& message) {
    slice_.stop();
    emit Finished(message);
    deleteLater();
}

} // namespace marrowlight
