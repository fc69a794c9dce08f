#include "monitor/FilterPane.h"

#include "monitor/LineDrawer.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/StoredNames.h"
#include "support/core/AccessKeys.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace marrowlight {

// The pane's results as list rows: the newest at the top when the log's
// list has it there. Rows count only what the view has been told of.
class FilterResultModel : public QAbstractListModel {
  public:
    FilterResultModel(FilterPane& pane, LogListModel& lines, QObject* parent)
        : QAbstractListModel(parent), pane_(pane), lines_(lines) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : shown_;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= shown_)
            return {};
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return {};
        const int row = pane_.ResultMainRow(index.row());
        QString text = row >= 0 ? lines_.Text(row) : QString();
        if (role == Qt::DisplayRole)
            return text;
        // Read as drawn: the line number, then the line.
        return QString::number(pane_.ResultLineNo(index.row())) + QLatin1Char(' ') + text;
    }
    // Index of a result in the scan's order from a row of the list.
    size_t ResultOf(int row) const { return newestAtTop_ ? size_t(shown_ - 1 - row) : size_t(row); }

    void Reset(bool newestAtTop) {
        beginResetModel();
        shown_ = 0;
        newestAtTop_ = newestAtTop;
        endResetModel();
    }
    // Tells the view of results found since, where new lines go.
    void Grow(int count) {
        if (count <= shown_)
            return;
        const int added = count - shown_;
        const int first = newestAtTop_ ? 0 : shown_;
        beginInsertRows(QModelIndex(), first, first + added - 1);
        shown_ = count;
        endInsertRows();
    }

  private:
    FilterPane& pane_;
    LogListModel& lines_;
    int shown_ = 0;
    bool newestAtTop_ = false;
};

namespace {

// The main window's menu bar and the find bar take these letters on the
// page; the pane's own keys must differ, or the first would win.
const char* const TakenCaptions[] = {
    "File", "View",    "Options", "Help", "Find:", "Match case", "Regular expression",
    "Next", "Previous"};

void AssignKeys(QLabel* label, const std::vector<QAbstractButton*>& buttons) {
    std::vector<MenuCaption> captions;
    for (const char* caption : TakenCaptions)
        captions.push_back({caption});
    captions.push_back({label->text().toStdString()});
    for (QAbstractButton* button : buttons)
        captions.push_back({button->text().toStdString()});
    const std::vector<std::string> keyed = AssignAccessKeys(captions);
    size_t next = std::size(TakenCaptions);
    label->setText(QString::fromStdString(keyed[next++]));
    for (QAbstractButton* button : buttons)
        button->setText(QString::fromStdString(keyed[next++]));
}

// Draws a result: a silver band with the line's number in the file, then
// the line in its group's colour, as the log's list draws it.
class ResultDelegate : public QStyledItemDelegate {
  public:
    ResultDelegate(FilterPane& pane, LogListModel& lines, const LineDrawer& drawer,
                   const LogLineDelegate& rows, QObject* parent)
        : QStyledItemDelegate(parent), pane_(pane), lines_(lines), drawer_(drawer), rows_(rows) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int row = pane_.ResultMainRow(index.row());
        if (!view || row < 0)
            return;
        const QFont font = view->font();
        const QFontMetrics metrics(font);
        const QPalette& palette = option.palette;
        const QRect& rect = option.rect;
        const int gutter = GutterWidth(font);
        const int right = std::max(rect.right() + 1, view->viewport()->width());
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QColor base = palette.color(QPalette::Base);
        QColor background = base;
        if (selected) {
            const QColor mark = palette.color(QPalette::Highlight);
            background =
                QColor((base.red() * 2 + mark.red()) / 3, (base.green() * 2 + mark.green()) / 3,
                       (base.blue() * 2 + mark.blue()) / 3);
        }
        // Only what can reach the viewport is read: a line may be megabytes long.
        const int narrow = std::max(1, metrics.horizontalAdvance(QLatin1Char('i')));
        const uint64_t chars = uint64_t(std::max(0, right - rect.left() - gutter) / narrow) + 256;
        const std::string utf8 =
            lines_.MaxChars(row) <= chars ? lines_.Utf8Text(row) : lines_.Utf8Part(row, 0, chars);
        QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        text.replace(QChar(0), QChar(0x2400));

        painter->save();
        painter->setFont(font);
        painter->fillRect(QRect(gutter, rect.top(), right - gutter, rect.height()), background);
        const int baseline = rect.top() + metrics.ascent();
        painter->setPen(drawer_.TextColor(pane_.RowGroup(row), palette));
        painter->drawText(rect.left() + gutter + 3, baseline, text);
        // The band stays at the left edge however far the rows scroll sideways.
        const bool dark = base.lightness() < palette.color(QPalette::Text).lightness();
        painter->fillRect(QRect(0, rect.top(), gutter, rect.height()),
                          dark ? palette.color(QPalette::Mid) : QColor(LineDrawer::Silver));
        painter->setPen(dark ? palette.color(QPalette::Text) : QColor(Qt::black));
        painter->drawText(1, baseline, QString::number(pane_.ResultLineNo(index.row())));
        if (option.state & QStyle::State_HasFocus) {
            painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const QFont font = option.widget ? option.widget->font() : option.font;
        return QSize(rows_.ExtentWidth() + GutterWidth(font), rows_.ItemHeight());
    }

  private:
    static int GutterWidth(const QFont& font) {
        // Room for ten digits: a log of billions of lines still fits.
        return QFontMetrics(font).horizontalAdvance(QStringLiteral("0000000000")) + 4;
    }

    FilterPane& pane_;
    LogListModel& lines_;
    const LineDrawer& drawer_;
    const LogLineDelegate& rows_;
};

} // namespace

FilterPane::FilterPane(LogListView& list, LogListModel& model, const LineDrawer& drawer,
                       const LogLineDelegate& delegate, QWidget* parent)
    : QWidget(parent), list_(list), model_(model), drawer_(drawer), rows_(delegate),
      results_(new FilterResultModel(*this, model, this)) {
    setObjectName(QStringLiteral("FilterPane"));
    PatternField = new QComboBox(this);
    PatternField->setObjectName(QStringLiteral("FilterPatternField"));
    PatternField->setEditable(true);
    PatternField->setInsertPolicy(QComboBox::NoInsert);
    PatternField->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    PatternField->setMinimumContentsLength(16);
    // Completing inline would filter by a pattern the user did not type.
    PatternField->setCompleter(nullptr);
    PatternField->lineEdit()->setClearButtonEnabled(true);
    PatternField->lineEdit()->setAcceptDrops(false);
    PatternField->setToolTip(
        QStringLiteral("Up and Down move through the results; Alt+Down lists the last patterns"));
    PatternLabel = new QLabel(QStringLiteral("Filter:"), this);
    PatternLabel->setBuddy(PatternField);
    MatchCaseBox = new QCheckBox(QStringLiteral("Match case"), this);
    MatchCaseBox->setObjectName(QStringLiteral("FilterMatchCaseBox"));
    RegularExpressionBox = new QCheckBox(QStringLiteral("Regular expression"), this);
    RegularExpressionBox->setObjectName(QStringLiteral("FilterRegularExpressionBox"));
    HideMatchingBox = new QCheckBox(QStringLiteral("Hide matching lines"), this);
    HideMatchingBox->setObjectName(QStringLiteral("FilterHideMatchingBox"));
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("FilterCountLabel"));
    CountLabel->setTextFormat(Qt::PlainText);
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("FilterMessageLabel"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setMinimumWidth(0);
    MessageLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("FilterCloseButton"));
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    CloseButton->setAutoRaise(true);
    CloseButton->setAccessibleName(QStringLiteral("Close the filter pane"));
    CloseButton->setToolTip(QStringLiteral("Close the filter pane"));
    AssignKeys(PatternLabel, {MatchCaseBox, RegularExpressionBox, HideMatchingBox});

    ResultList = new LogListView(this);
    ResultList->setObjectName(QStringLiteral("FilterResultList"));
    ResultList->setAccessibleName(QStringLiteral("Filter results"));
    ResultList->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultList->setItemDelegate(new ResultDelegate(*this, model, drawer, delegate, this));
    ResultList->setModel(results_);
    ResultList->setFont(list.font());

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(PatternLabel);
    bar->addWidget(PatternField, 2);
    bar->addWidget(MatchCaseBox);
    bar->addWidget(RegularExpressionBox);
    bar->addWidget(HideMatchingBox);
    bar->addWidget(CountLabel);
    bar->addWidget(MessageLabel, 3);
    bar->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(ResultList, 1);

    PatternField->installEventFilter(this);
    PatternField->lineEdit()->installEventFilter(this);
    for (QWidget* control : std::initializer_list<QWidget*>{
             ResultList, MatchCaseBox, RegularExpressionBox, HideMatchingBox, CloseButton})
        control->installEventFilter(this);
    connect(PatternField, &QComboBox::editTextChanged, this, &FilterPane::Restart);
    for (QCheckBox* box : {MatchCaseBox, RegularExpressionBox, HideMatchingBox})
        connect(box, &QCheckBox::toggled, this, &FilterPane::Restart);
    connect(CloseButton, &QToolButton::clicked, this, &FilterPane::Close);
    connect(ResultList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { ShowResult(index.row()); });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        if (!isHidden())
            Restart();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &FilterPane::RowsArrived);

    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, &FilterPane::RunSlice);
    hide();
}

FilterPane::~FilterPane() = default;

SettingsStore& FilterPane::PatternStore() const {
    return Store ? *Store : ApplicationSettingsStore();
}

std::vector<std::string> FilterPane::StoredPatternList() const {
    try {
        std::vector<std::string> patterns =
            PatternStore().ReadSettingList(stored::FilterPatternList);
        if (patterns.size() > StoredPatterns)
            patterns.resize(StoredPatterns);
        return patterns;
    } catch (const SettingsError&) {
        // A damaged list offers nothing; the next pattern kept writes it anew.
        return {};
    }
}

void FilterPane::LoadPatterns() {
    const QString text = PatternField->currentText();
    const QSignalBlocker quiet(PatternField);
    PatternField->clear();
    for (const std::string& pattern : StoredPatternList())
        PatternField->addItem(QString::fromStdString(pattern));
    PatternField->setCurrentIndex(-1);
    PatternField->setEditText(text);
}

void FilterPane::Remember() {
    if (!pattern_ || !pattern_->CanSearch())
        return;
    const std::string text = PatternField->currentText().toStdString();
    std::vector<std::string> patterns = StoredPatternList();
    patterns.erase(std::remove(patterns.begin(), patterns.end(), text), patterns.end());
    patterns.insert(patterns.begin(), text);
    if (patterns.size() > StoredPatterns)
        patterns.resize(StoredPatterns);
    if (patterns == StoredPatternList())
        return;
    try {
        PatternStore().WriteSettingList(stored::FilterPatternList, patterns);
    } catch (const SettingsError& error) {
        emit StatusMessage(QStringLiteral("The filter patterns could not be stored: ") +
                           QString::fromUtf8(error.what()));
    }
    LoadPatterns();
}

void FilterPane::Open() {
    const bool wasHidden = isHidden();
    if (wasHidden) {
        LoadPatterns();
        ResultList->setFont(list_.font());
        // Ten results at most, so the log's own list keeps most of the page.
        ResultList->setMaximumHeight(rows_.ItemHeight() * 10 + 2 * ResultList->frameWidth());
    }
    show();
    if (wasHidden)
        Restart();
    PatternField->setFocus(Qt::ShortcutFocusReason);
    PatternField->lineEdit()->selectAll();
}

void FilterPane::Close() {
    Remember();
    slice_.stop();
    scan_.reset();
    results_->Reset(false);
    hide();
    list_.setFocus(Qt::OtherFocusReason);
}

void FilterPane::ReturnToList() {
    list_.setFocus(Qt::OtherFocusReason);
}

bool FilterPane::Filling() const {
    return scan_ && scan_->State() == FilterState::Running;
}

int FilterPane::ResultCount() const {
    return results_->rowCount();
}

void FilterPane::Restart() {
    slice_.stop();
    scan_.reset();
    const bool newestAtTop = NewestAtTop ? NewestAtTop() : false;
    results_->Reset(newestAtTop);
    pattern_ = std::make_shared<const SearchPattern>(PatternField->currentText().toStdString(),
                                                     MatchCaseBox->isChecked(),
                                                     RegularExpressionBox->isChecked());
    MessageLabel->setText(QString::fromStdString(pattern_->Error()));
    MessageLabel->setToolTip(MessageLabel->text());
    // An invalid expression or no text at all runs nothing and lists nothing.
    if (!pattern_->CanSearch() || isHidden()) {
        CountLabel->clear();
        return;
    }
    scan_ = std::make_unique<FilterScan>(pattern_, HideMatchingBox->isChecked(), newestAtTop,
                                         model_.Lines());
    scan_->SetBlockBytes(Slices.BlockBytes);
    RunSlice();
}

void FilterPane::RowsArrived() {
    // Lines that arrive while the pane fills wait for the next slice; once
    // it is up to date, they are taken at once.
    if (scan_ && scan_->State() == FilterState::UpToDate && !slice_.isActive())
        RunSlice();
}

void FilterPane::RunSlice() {
    if (!scan_)
        return;
    if (scan_->Outdated(model_.Lines())) {
        Restart();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    FilterState state;
    do {
        state = scan_->Step(model_.Lines(), Slices.StepBytes);
    } while (state == FilterState::Running && clock.elapsed() < Slices.SliceMs);
    results_->Grow(int(std::min<size_t>(scan_->Results().size(), size_t(INT_MAX))));
    if (state == FilterState::Stopped) {
        const QString why = QString::fromStdString(scan_->Error());
        MessageLabel->setText(QStringLiteral("Filtering stopped. ") + why);
        MessageLabel->setToolTip(MessageLabel->text());
        emit StatusMessage(MessageLabel->text());
    }
    ShowCount();
    if (state == FilterState::Running)
        slice_.start();
}

void FilterPane::ShowCount() {
    if (!scan_) {
        CountLabel->clear();
        return;
    }
    const int count = ResultCount();
    const QString lines = count == 1 ? QStringLiteral("line") : QStringLiteral("lines");
    QString text = HideMatchingBox->isChecked()
                       ? QStringLiteral("%1 %2 without a match").arg(count).arg(lines)
                       : QStringLiteral("%1 matching %2").arg(count).arg(lines);
    if (scan_->State() == FilterState::Running)
        text += QStringLiteral(", filtering %1%").arg(int(scan_->Progress(model_.Lines()) * 100));
    // The label's own change of name is what a screen reader announces.
    if (CountLabel->text() != text)
        CountLabel->setText(text);
}

uint64_t FilterPane::ResultLineNo(int resultRow) const {
    if (!scan_ || resultRow < 0 || resultRow >= ResultCount())
        return 0;
    return scan_->Results().LineNo(results_->ResultOf(resultRow));
}

int FilterPane::ResultMainRow(int resultRow) const {
    if (!scan_ || resultRow < 0 || resultRow >= ResultCount() || scan_->Outdated(model_.Lines()))
        return -1;
    const size_t rows = model_.Lines().size();
    const uint64_t age = scan_->Results().Age(results_->ResultOf(resultRow));
    return age < rows ? int(scan_->RowOf(age, rows)) : -1;
}

int FilterPane::RowGroup(int mainRow) const {
    return drawer_.RowGroup(model_, mainRow);
}

void FilterPane::ShowResult(int resultRow) {
    const int row = ResultMainRow(resultRow);
    if (row < 0)
        return;
    Remember();
    const QModelIndex found = model_.index(row, 0);
    list_.selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    const int top = list_.TopRow();
    const bool onScreen = row >= top && row < top + list_.FullRowsVisible();
    list_.scrollTo(found, onScreen ? QAbstractItemView::EnsureVisible
                                   : QAbstractItemView::PositionAtCenter);
    ResultList->setCurrentIndex(results_->index(resultRow, 0));
}

void FilterPane::MoveResult(int step) {
    const int count = ResultCount();
    if (count == 0)
        return;
    const QModelIndex current = ResultList->currentIndex();
    const int row = current.isValid() ? std::clamp(current.row() + step, 0, count - 1)
                                      : (step > 0 ? 0 : count - 1);
    const QModelIndex next = results_->index(row, 0);
    ResultList->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
    ResultList->scrollTo(next);
}

bool FilterPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool inField = watched == PatternField || watched == PatternField->lineEdit();
    const bool plain = !(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier));
    switch (key->key()) {
    case Qt::Key_Escape:
        if (inField && PatternField->view()->isVisible())
            break; // closes the list of patterns
        ReturnToList();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (inField || watched == ResultList) {
            Remember();
            const QModelIndex current = ResultList->currentIndex();
            ShowResult(current.isValid() ? current.row() : 0);
            return true;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (inField && plain) {
            MoveResult(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace marrowlight
