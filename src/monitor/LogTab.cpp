#include "monitor/LogTab.h"

#include "monitor/FilterPane.h"
#include "monitor/FindBar.h"
#include "monitor/LineDrawer.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "support/core/AccessKeys.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

namespace marrowlight {

namespace {

QAction* AddAction(QWidget* owner, const char* name, const char* caption,
                   const QKeySequence& shortcut, Qt::ShortcutContext context) {
    auto* action = new QAction(QString::fromLatin1(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(context);
    return action;
}

// Copying would otherwise take the focused row only (the item view's own Ctrl+C).
class CopyKeys : public QObject {
  public:
    CopyKeys(LogTab& tab) : QObject(&tab), tab_(tab) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            tab_.CopySelection(false);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    LogTab& tab_;
};

} // namespace

LogTab::LogTab(const std::string& path, const LineDrawer& drawer, QWidget* parent)
    : QWidget(parent), drawer_(drawer), model_(new LogListModel(this)) {
    Page.FileName = path;
    // Rows that arrive while the list is unmade are followed once it is made,
    // unless a reload started the list over since.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { selectLast_ = false; });
    ConfirmLargeCopy = [this](uint64_t bytes) {
        const QString question = QStringLiteral("Copy %1 MiB of text to the clipboard?")
                                     .arg(double(bytes) / double(1 << 20), 0, 'f', 0);
        return QMessageBox::question(this, QStringLiteral("Marrowlight"), question) ==
               QMessageBox::Yes;
    };
}

LogTab::~LogTab() {
    // The view, the pane and the find bar go before the model they show.
    delete filter_;
    delete find_;
    delete list_;
}

void LogTab::setVisible(bool visible) {
    // Made before the page shows, so its children show with it.
    if (visible)
        Build();
    QWidget::setVisible(visible);
}

LogListView* LogTab::ListView() const {
    const_cast<LogTab*>(this)->Build();
    return list_;
}

LogLineDelegate& LogTab::Delegate() const {
    const_cast<LogTab*>(this)->Build();
    return *delegate_;
}

FindBar& LogTab::Finder() const {
    const_cast<LogTab*>(this)->Build();
    return *find_;
}

void LogTab::Build() {
    if (list_)
        return;
    delegate_ = new LogLineDelegate(drawer_, this);
    list_ = new LogListView(this);
    list_->setObjectName(QStringLiteral("ItemsLBx"));
    list_->setAccessibleName(QFile::decodeName(QByteArray::fromStdString(Page.FileName)));
    list_->setFont(font_);
    delegate_->SetItemHeight(LogLineDelegate::ItemHeightForSize(font_.pointSize()));
    delegate_->SetExtentWidth(extentWidth_);
    list_->setItemDelegate(delegate_);
    list_->setModel(model_);
    find_ = new FindBar(*list_, *model_, *delegate_, this);
    find_->NewestAtTop = [this] { return NewestAtTop && NewestAtTop(); };
    connect(find_, &FindBar::StatusMessage, this, &LogTab::StatusMessage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(list_, 1);
    layout->addWidget(find_);
    CreateActions();
    if (std::exchange(selectLast_, false))
        SelectLastItem();
}

void LogTab::CreateActions() {
    FindAction =
        AddAction(this, "FindMnu", "Find", QKeySequence::Find, Qt::WidgetWithChildrenShortcut);
    FindNextAct = AddAction(this, "FindNextAct", "Find Next", QKeySequence(Qt::Key_F3),
                            Qt::WidgetWithChildrenShortcut);
    FindPreviousAct =
        AddAction(this, "FindPreviousAct", "Find Previous", QKeySequence(Qt::SHIFT | Qt::Key_F3),
                  Qt::WidgetWithChildrenShortcut);
    addActions({FindAction, FindNextAct, FindPreviousAct});
    auto* escape = AddAction(find_, "EscapeAct", "Escape", QKeySequence(Qt::Key_Escape),
                             Qt::WidgetWithChildrenShortcut);
    find_->addAction(escape);

    // The list itself answers Ctrl+C and Ctrl+A; the menu shows them.
    ListMenu = new QMenu(this);
    ListMenu->setObjectName(QStringLiteral("ListMnu"));
    CopyRowsAction = AddAction(ListMenu, "CopyMnu", "Copy", QKeySequence::Copy, Qt::WidgetShortcut);
    CopyWithLineNumbersAction = AddAction(ListMenu, "CopyWithLineNumbersMnu",
                                          "Copy with line numbers", {}, Qt::WidgetShortcut);
    SelectAllAction = AddAction(ListMenu, "SelectAllMnu", "Select All", QKeySequence::SelectAll,
                                Qt::WidgetShortcut);
    ListMenu->addAction(FindAction);
    ListMenu->addSeparator();
    ListMenu->addActions({CopyRowsAction, CopyWithLineNumbersAction});
    ListMenu->addSeparator();
    ListMenu->addAction(SelectAllAction);
    std::vector<MenuCaption> captions;
    for (QAction* item : {FindAction, CopyRowsAction, CopyWithLineNumbersAction, SelectAllAction})
        captions.push_back({item->text().toStdString()});
    const std::vector<std::string> keyed = AssignAccessKeys(captions);
    int next = 0;
    for (QAction* item : {FindAction, CopyRowsAction, CopyWithLineNumbersAction, SelectAllAction})
        item->setText(QString::fromStdString(keyed[size_t(next++)]));

    connect(FindAction, &QAction::triggered, find_, &FindBar::Open);
    connect(FindNextAct, &QAction::triggered, this, [this] { FindFromKeyboard(true); });
    connect(FindPreviousAct, &QAction::triggered, this, [this] { FindFromKeyboard(false); });
    connect(escape, &QAction::triggered, find_, &FindBar::Escape);
    connect(CopyRowsAction, &QAction::triggered, this, [this] { CopySelection(false); });
    connect(CopyWithLineNumbersAction, &QAction::triggered, this, [this] { CopySelection(true); });
    connect(SelectAllAction, &QAction::triggered, list_, &QAbstractItemView::selectAll);

    list_->installEventFilter(new CopyKeys(*this));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &LogTab::ShowListMenu);
}

void LogTab::ShowListMenu(const QPoint& pos) {
    const bool selected = list_->selectionModel()->hasSelection();
    CopyRowsAction->setEnabled(selected);
    // Line numbers come from the gutter; without one there are none to add.
    CopyWithLineNumbersAction->setEnabled(selected && drawer_.GutterWidth(list_->font()) > 0);
    SelectAllAction->setEnabled(model_->rowCount() > 0);
    ListMenu->popup(list_->viewport()->mapToGlobal(pos));
}

void LogTab::FindFromKeyboard(bool next) {
    if (find_->isHidden())
        find_->Open();
    find_->Find(next ? SearchDirection::Newer : SearchDirection::Older);
}

void LogTab::SetListFont(const QFont& font) {
    font_ = font;
    if (!list_)
        return;
    list_->setFont(font_);
    delegate_->SetItemHeight(LogLineDelegate::ItemHeightForSize(font_.pointSize()));
}

void LogTab::SetListFont(const QString& face, int size) {
    QFont font(face);
    font.setPointSize(size > 0 ? size : 8);
    SetListFont(font);
}

QFont LogTab::ListFont() const {
    return list_ ? list_->font() : font_;
}

void LogTab::SetExtentWidth(qint64 width) {
    // Qt keeps item sizes in int; a line of billions of pixels still scrolls.
    constexpr qint64 limit = std::numeric_limits<int>::max() / 2;
    extentWidth_ = static_cast<int>(std::min(width, limit));
    if (delegate_)
        delegate_->SetExtentWidth(extentWidth_);
}

void LogTab::SelectLastItem() {
    const int rows = model_->rowCount();
    if (rows == 0)
        return;
    if (!list_) {
        selectLast_ = true;
        return;
    }
    const std::vector<RowRange> selected = SelectedRows();
    if (find_->isVisible() || (filter_ && filter_->isVisible()) || selected.size() > 1 ||
        (selected.size() == 1 && selected[0].Last > selected[0].First))
        return;
    const QModelIndex last = model_->index(rows - 1);
    list_->setCurrentIndex(last);
    list_->scrollTo(last);
}

std::vector<RowRange> LogTab::SelectedRows() const {
    std::vector<RowRange> ranges;
    if (!list_ || !list_->selectionModel())
        return ranges;
    for (const QItemSelectionRange& range : list_->selectionModel()->selection())
        if (range.isValid() && range.top() >= 0)
            ranges.push_back({size_t(range.top()), size_t(range.bottom())});
    std::sort(ranges.begin(), ranges.end(),
              [](const RowRange& a, const RowRange& b) { return a.First < b.First; });
    // Ctrl+click may leave neighbouring or overlapping ranges: one line each.
    std::vector<RowRange> merged;
    for (const RowRange& range : ranges) {
        if (!merged.empty() && range.First <= merged.back().Last + 1)
            merged.back().Last = std::max(merged.back().Last, range.Last);
        else
            merged.push_back(range);
    }
    return merged;
}

bool LogTab::CopySelection(bool withLineNumbers) {
    const std::vector<RowRange> ranges = SelectedRows();
    if (ranges.empty())
        return false;
    const LineIndex& lines = model_->Lines();
    const uint64_t bytes = RowBytes(lines, ranges);
    if (bytes > LargeCopyBytes && !(ConfirmLargeCopy && ConfirmLargeCopy(bytes)))
        return false;
    std::function<std::string(size_t)> gutter;
    if (withLineNumbers)
        gutter = [&](size_t row) { return drawer_.GutterText(lines.Record(row)).toStdString(); };
    const std::string text = RowsText(lines, ranges, gutter);
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

FilterPane& LogTab::Filter() {
    Build();
    if (!filter_) {
        filter_ = new FilterPane(*list_, *model_, drawer_, *delegate_, this);
        filter_->NewestAtTop = find_->NewestAtTop;
        connect(filter_, &FilterPane::StatusMessage, this, &LogTab::StatusMessage);
        static_cast<QVBoxLayout*>(layout())->insertWidget(1, filter_);
    }
    return *filter_;
}

bool LogTab::ShowsLastItem() const {
    if (!list_)
        return true; // never scrolled
    const QScrollBar* bar = list_->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

} // namespace marrowlight
