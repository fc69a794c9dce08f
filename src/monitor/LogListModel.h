#pragma once

#include "monitor/core/LineIndex.h"
#include "monitor/core/LineSink.h"
#include "monitor/core/LineTextSource.h"

#include <QAbstractListModel>
#include <QString>
#include <memory>

namespace marrowlight {

// The rows of one log tab for its LogListView. Rows are a LineIndex; their text
// is read back from the log and decoded when a view asks for it.
class LogListModel : public QAbstractListModel, public LineSink {
    Q_OBJECT
  public:
    enum Role {
        LineNoRole = Qt::UserRole + 1, // int, invalid QVariant for a row without record
        TimeRole,                      // double DateTime, same rule
        HasRecordRole,                 // bool
    };

    explicit LogListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Decoded text of a row; empty when out of range or unreadable.
    QString Text(int row) const;
    // UTF-8 text of a row, for keyword tests while drawing.
    std::string Utf8Text(int row, std::vector<StyledSpan>* spans = nullptr) const;
    // At most `chars` characters of a row from about character `first` on,
    // for drawing the visible part of a long row without reading all of it.
    std::string Utf8Part(int row, uint64_t first, uint64_t chars,
                         std::vector<StyledSpan>* spans = nullptr) const;
    // A bound on a row's characters, known without reading the row.
    uint64_t MaxChars(int row) const;
    // A row's highest group (0..3) as the index keeps it; -1 until known.
    int KnownGroup(int row) const;
    // Works it out from the row's whole text and keeps it; -1 when the row
    // can't be read.
    int ClassifyRow(int row, const GroupMatcher& matcher);
    // Null when out of range or the row has no record.
    const LineRecord* Record(int row) const;

    // LineSink: every change is one model reset or one row insertion.
    const LineIndex& Lines() const override { return lines_; }
    void ClearLines() override;
    void LoadLines(LineIndex&& lines) override;
    void AppendLines(LineIndex&& lines) override;
    void InsertLinesAtTop(LineIndex&& lines) override;

  private:
    // Made when a row's text is first asked for: a log nobody looks at
    // needs none of its cache.
    LineTextSource& TextSource() const;

    LineIndex lines_;
    mutable std::unique_ptr<LineTextSource> text_;
};

} // namespace marrowlight
