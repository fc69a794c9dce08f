#pragma once

#include "monitor/MenuImages.h"
#include "monitor/core/TPageObject.h"

#include <QString>
#include <QWidget>
#include <string>

namespace marrowlight {

class LineDrawer;
class LogLineDelegate;
class LogListModel;
class LogListView;

// One log tab's page: the log's record and its list, which fills the page.
class LogTab : public QWidget {
    Q_OBJECT

  public:
    // The path is kept as the bytes it was given; only its shown forms are decoded.
    LogTab(const std::string& path, const LineDrawer& drawer, QWidget* parent = nullptr);
    ~LogTab() override;

    TPageObject Page;
    // The PageControl image the tab shows: NormalLog, NewLines or Unreadable.
    MenuImageIndex Image = MenuImageIndex::NormalLog;

    LogListView* ItemsLBx() const { return list_; }
    LogListModel& Model() const { return *model_; }
    LogLineDelegate& Delegate() const { return *delegate_; }
    const std::string& FileName() const { return Page.FileName; }

    // Font face and size in points; the item height follows the size.
    void SetListFont(const QString& face, int size);
    // Lets the view scroll sideways over width pixels.
    void SetExtentWidth(qint64 width);
    void SelectLastItem();
    // The list is scrolled to its end (or has nothing to scroll), so rows
    // added below come into view when the last one is selected.
    bool ShowsLastItem() const;

  private:
    LogListModel* model_;
    LogLineDelegate* delegate_;
    LogListView* list_;
};

} // namespace marrowlight
