#pragma once

#include "monitor/core/FilterScan.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace marrowlight {

class FilterResultModel;
class LineDrawer;
class LogLineDelegate;
class LogListModel;
class LogListView;
class SettingsStore;

// The pane under a log's list that lists the rows matching a pattern (or,
// hiding matches, the others) with their line numbers in the file, in the
// colour of their group. It fills in slices between which the window
// repaints and passes run, follows the rows that arrive and begins again
// when the log is read again. The main list is not filtered: Enter or a
// double click on a result selects its row there.
class FilterPane : public QWidget {
    Q_OBJECT

  public:
    FilterPane(LogListView& list, LogListModel& model, const LineDrawer& drawer,
               const LogLineDelegate& delegate, QWidget* parent = nullptr);
    ~FilterPane() override;

    // Whether row 0 holds the newest line, asked whenever filtering begins.
    std::function<bool()> NewestAtTop;
    // Where the last patterns are kept; the program's store when not set.
    SettingsStore* Store = nullptr;
    static constexpr size_t StoredPatterns = 10;

    QLabel* PatternLabel = nullptr;
    QComboBox* PatternField = nullptr; // offers the stored patterns
    QCheckBox* MatchCaseBox = nullptr;
    QCheckBox* RegularExpressionBox = nullptr;
    QCheckBox* HideMatchingBox = nullptr;
    // "12 matching lines", with the progress while filling.
    QLabel* CountLabel = nullptr;
    // Why an expression is invalid, or why filtering stopped.
    QLabel* MessageLabel = nullptr;
    LogListView* ResultList = nullptr;
    QToolButton* CloseButton = nullptr;

    // Shows the pane with the keyboard in its field.
    void Open();
    // Stops the work, drops the results and hides the pane.
    void Close();
    // Gives the main list the keyboard; the pane stays.
    void ReturnToList();
    // Filters again from the first row with the field's pattern.
    void Restart();
    bool Filling() const;
    // Result rows as the pane shows them.
    int ResultCount() const;
    // Selects the row of a result in the main list and scrolls to it.
    void ShowResult(int resultRow);
    // A result's line number in the file and its row in the main list.
    uint64_t ResultLineNo(int resultRow) const;
    int ResultMainRow(int resultRow) const;
    // The colour group a main list row is drawn in: the same rule as the list.
    int RowGroup(int mainRow) const;
    const FilterScan* Scan() const { return scan_.get(); }

    // How long a slice keeps the window waiting, in steps of so many bytes
    // read in blocks of so many; tests make a slice one small block.
    struct Slicing {
        qint64 SliceMs = 12;
        uint64_t StepBytes = uint64_t{512} << 10;
        size_t BlockBytes = FilterScan::DefaultBlockBytes;
    } Slices;

    // The stored patterns, newest first.
    std::vector<std::string> StoredPatternList() const;

  signals:
    void StatusMessage(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RunSlice();
    void RowsArrived();
    void ShowCount();
    void Remember();
    void LoadPatterns();
    void MoveResult(int step);
    SettingsStore& PatternStore() const;

    LogListView& list_;
    LogListModel& model_;
    const LineDrawer& drawer_;
    const LogLineDelegate& rows_;
    FilterResultModel* results_;
    std::shared_ptr<const SearchPattern> pattern_;
    std::unique_ptr<FilterScan> scan_;
    QTimer slice_;
};

} // namespace marrowlight
