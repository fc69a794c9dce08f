#pragma once

#include "monitor/core/RowSearch.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace marrowlight {

class LogLineDelegate;
class LogListModel;
class LogListView;

// The bar under a log's list that finds a text in the log. A search runs in
// slices between which the window repaints, new lines arrive and Escape stops
// it; what it finds becomes the list's focused, selected row. While the bar is
// open its text is marked in the rows drawn.
class FindBar : public QWidget {
    Q_OBJECT

  public:
    FindBar(LogListView& list, LogListModel& model, LogLineDelegate& delegate,
            QWidget* parent = nullptr);
    ~FindBar() override;

    // Whether row 0 holds the newest line, asked at every search; false
    // when not set.
    std::function<bool()> NewestAtTop;

    QLabel* FindLabel = nullptr;
    QLineEdit* FindField = nullptr;
    QCheckBox* MatchCaseBox = nullptr;
    QCheckBox* RegularExpressionBox = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* PreviousButton = nullptr;
    QToolButton* CloseButton = nullptr;
    // Says why an expression is invalid, or how the last search ended.
    QLabel* MessageLabel = nullptr;

    // Shows the bar with the keyboard in its field.
    void Open();
    // Stops a search, hides the bar and its marks and gives the list the keyboard.
    void Close();
    // Toward newer lines (Next) or older ones (Previous) from the focused row.
    void Find(SearchDirection direction);
    bool Searching() const { return search_ != nullptr; }
    // Escape: stops a running search, else closes the bar.
    void Escape();

    // How long a slice of a search keeps the window waiting, in steps of at
    // most so many bytes read in blocks of so many; tests make a slice one
    // small block.
    struct Slicing {
        qint64 SliceMs = 25;
        uint64_t StepBytes = uint64_t{4} << 20;
        size_t BlockBytes = RowSearch::DefaultBlockBytes;
    } Slices;

  signals:
    // How a search ended, for the status bar.
    void StatusMessage(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void PatternChanged();
    void RunSlice();
    void Show(const QString& message, bool toStatusBar);
    void Stop(const QString& message);

    LogListView& list_;
    LogListModel& model_;
    LogLineDelegate& delegate_;
    std::shared_ptr<const SearchPattern> pattern_;
    std::unique_ptr<RowSearch> search_;
    SearchDirection direction_ = SearchDirection::Newer;
    uint64_t stepBytes_ = 0;
    QTimer slice_;
};

} // namespace marrowlight
