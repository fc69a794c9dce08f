#include "monitor/LogListModel.h"

#include <climits>

namespace marrowlight {

LogListModel::LogListModel(QObject* parent) : QAbstractListModel(parent) {}

LineTextSource& LogListModel::TextSource() const {
    if (!text_)
        text_ = std::make_unique<LineTextSource>();
    return *text_;
}

int LogListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    // A view cannot address more rows than an int holds.
    return static_cast<int>(std::min<size_t>(lines_.size(), INT_MAX));
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.parent().isValid() || index.column() != 0 || index.row() < 0 ||
        index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Text(index.row());
    case LineNoRole:
        if (const LineRecord* r = Record(index.row()))
            return r->LineNo;
        return {};
    case TimeRole:
        if (const LineRecord* r = Record(index.row()))
            return r->Time;
        return {};
    case HasRecordRole:
        return Record(index.row()) != nullptr;
    default:
        return {};
    }
}

QString LogListModel::Text(int row) const {
    std::string text = Utf8Text(row);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string LogListModel::Utf8Text(int row, std::vector<StyledSpan>* spans) const {
    if (row < 0)
        return {};
    return TextSource().Text(lines_, static_cast<size_t>(row), spans);
}

std::string LogListModel::Utf8Part(int row, uint64_t first, uint64_t chars,
                                   std::vector<StyledSpan>* spans) const {
    if (row < 0)
        return {};
    return TextSource().Part(lines_, static_cast<size_t>(row), first, chars, spans);
}

uint64_t LogListModel::MaxChars(int row) const {
    if (row < 0)
        return 0;
    return LineTextSource::MaxChars(lines_, static_cast<size_t>(row));
}

int LogListModel::KnownGroup(int row) const {
    return row < 0 ? -1 : lines_.Group(static_cast<size_t>(row));
}

int LogListModel::ClassifyRow(int row, const GroupMatcher& matcher) {
    return row < 0 ? -1 : TextSource().Classify(lines_, static_cast<size_t>(row), matcher);
}

const LineRecord* LogListModel::Record(int row) const {
    if (row < 0)
        return nullptr;
    return lines_.Record(static_cast<size_t>(row));
}

void LogListModel::ClearLines() {
    if (lines_.empty()) {
        // A missing log is cleared on every pass; an empty view needs no reset.
        lines_.clear();
        text_.reset();
        return;
    }
    beginResetModel();
    lines_.clear();
    text_.reset();
    endResetModel();
}

void LogListModel::LoadLines(LineIndex&& lines) {
    beginResetModel();
    lines_ = std::move(lines);
    text_.reset();
    endResetModel();
}

void LogListModel::AppendLines(LineIndex&& lines) {
    if (lines.empty())
        return;
    int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    MergeAppend(lines_, std::move(lines));
    endInsertRows();
}

void LogListModel::InsertLinesAtTop(LineIndex&& lines) {
    if (lines.empty())
        return;
    beginInsertRows(QModelIndex(), 0, static_cast<int>(lines.size()) - 1);
    MergeAtTop(lines_, std::move(lines));
    endInsertRows();
}

} // namespace marrowlight
