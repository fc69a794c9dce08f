#pragma once

#include "monitor/MenuImages.h"
#include "monitor/core/LogPage.h"
#include "monitor/core/RowCopy.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace marrowlight {

class FindBar;
class LineDrawer;
class LogLineDelegate;
class LogListModel;
class LogListView;
class ProducerPump;

// One log tab's page: the log's record and its list, which fills the page,
// with the find bar under it while it is open.
class LogTab : public QWidget {
    Q_OBJECT

  public:
    // The path is kept as the bytes it was given; only its shown forms are decoded.
    LogTab(const std::string& path, const LineDrawer& drawer, QWidget* parent = nullptr);
    ~LogTab() override;

    LogPage Page;
    // The TabWidget image the tab shows: NormalLog, NewLines or Unreadable.
    MenuImageIndex Image = MenuImageIndex::NormalLog;

    // Makes the log's text when it is no growing file (an archive, the
    // standard input): a child of the tab, so it ends with it. Null otherwise.
    ProducerPump* Pump = nullptr;
    // False for a log that cannot be opened again from its address (the
    // standard input): it is kept out of recent files and the session, and
    // automatic closing leaves it.
    bool Reopenable = true;

    LogListView* ListView() const { return list_; }
    LogListModel& Model() const { return *model_; }
    LogLineDelegate& Delegate() const { return *delegate_; }
    FindBar& Finder() const { return *find_; }
    const std::string& FileName() const { return Page.FileName; }

    // Font face and size in points; the item height follows the size.
    void SetListFont(const QString& face, int size);
    // Lets the view scroll sideways over width pixels.
    void SetExtentWidth(qint64 width);
    // Follows the log: the last row becomes the focused, selected one. Rows
    // the user selected (more than one) or is searching among stay as they are.
    void SelectLastItem();
    // The list is scrolled to its end (or has nothing to scroll), so rows
    // added below come into view when the last one is selected.
    bool ShowsLastItem() const;

    // The list's context menu; Find (Ctrl+F), Find Next (F3) and Find
    // Previous (Shift+F3) act anywhere on the page.
    QMenu* ListMenu = nullptr;
    QAction* FindAction = nullptr;
    QAction* CopyRowsAction = nullptr;
    QAction* CopyWithLineNumbersAction = nullptr;
    QAction* SelectAllAction = nullptr;
    QAction* FindNextAct = nullptr;
    QAction* FindPreviousAct = nullptr;

    // The selected rows in list order.
    std::vector<RowRange> SelectedRows() const;
    // Puts the selected rows' text on the clipboard as drawn, one row per
    // line, with the gutter's text before each when asked; more than
    // LargeCopyBytes of it only when ConfirmLargeCopy agrees. False when
    // nothing was copied.
    bool CopySelection(bool withLineNumbers);
    static constexpr uint64_t LargeCopyBytes = uint64_t{64} << 20;
    // Asks whether to copy that many bytes; a question box by default.
    std::function<bool(uint64_t bytes)> ConfirmLargeCopy;

  signals:
    // A passing note for the status bar, such as how a search ended.
    void StatusMessage(const QString& text);

  private:
    void CreateActions();
    void ShowListMenu(const QPoint& pos);
    void FindFromKeyboard(bool next);

    const LineDrawer& drawer_;
    LogListModel* model_;
    LogLineDelegate* delegate_;
    LogListView* list_;
    FindBar* find_;
};

} // namespace marrowlight
