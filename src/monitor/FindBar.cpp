#include "monitor/FindBar.h"

#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "support/core/AccessKeys.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace marrowlight {

namespace {

// The main window's menu bar takes these letters window-wide; the bar's own
// keys must differ, or neither would act.
const char* const MenuBarCaptions[] = {"File", "View", "Options", "Help"};

// A search starts with steps this small, so a slow expression shows itself
// before it keeps the window waiting; plain text soon reads far more a step.
constexpr uint64_t FirstStepBytes = uint64_t{64} << 10;
constexpr uint64_t LeastStepBytes = uint64_t{4} << 10;

void AssignKeys(QLabel* label, const std::vector<QAbstractButton*>& buttons) {
    std::vector<MenuCaption> captions;
    for (const char* caption : MenuBarCaptions)
        captions.push_back({caption});
    captions.push_back({label->text().toStdString()});
    for (QAbstractButton* button : buttons)
        captions.push_back({button->text().toStdString()});
    const std::vector<std::string> keyed = AssignAccessKeys(captions);
    size_t next = std::size(MenuBarCaptions);
    label->setText(QString::fromStdString(keyed[next++]));
    for (QAbstractButton* button : buttons)
        button->setText(QString::fromStdString(keyed[next++]));
}

} // namespace

FindBar::FindBar(LogListView& list, LogListModel& model, LogLineDelegate& delegate, QWidget* parent)
    : QWidget(parent), list_(list), model_(model), delegate_(delegate) {
    setObjectName(QStringLiteral("FindBar"));
    FindField = new QLineEdit(this);
    FindField->setObjectName(QStringLiteral("FindEdt"));
    FindField->setClearButtonEnabled(true);
    // Files dropped here open as logs, as anywhere in the window.
    FindField->setAcceptDrops(false);
    FindLabel = new QLabel(QStringLiteral("Find:"), this);
    FindLabel->setBuddy(FindField);
    MatchCaseBox = new QCheckBox(QStringLiteral("Match case"), this);
    MatchCaseBox->setObjectName(QStringLiteral("MatchCaseChk"));
    RegularExpressionBox = new QCheckBox(QStringLiteral("Regular expression"), this);
    RegularExpressionBox->setObjectName(QStringLiteral("RegularExpressionChk"));
    NextButton = new QPushButton(QStringLiteral("Next"), this);
    NextButton->setObjectName(QStringLiteral("NextBtn"));
    NextButton->setToolTip(QStringLiteral("Find toward newer lines (Enter, F3)"));
    PreviousButton = new QPushButton(QStringLiteral("Previous"), this);
    PreviousButton->setObjectName(QStringLiteral("PreviousBtn"));
    PreviousButton->setToolTip(QStringLiteral("Find toward older lines (Shift+Enter, Shift+F3)"));
    for (QPushButton* button : {NextButton, PreviousButton})
        button->setAutoDefault(false);
    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseBtn"));
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    CloseButton->setAutoRaise(true);
    CloseButton->setAccessibleName(QStringLiteral("Close the find bar"));
    CloseButton->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLbl"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setMinimumWidth(0);
    MessageLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    AssignKeys(FindLabel, {MatchCaseBox, RegularExpressionBox, NextButton, PreviousButton});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(FindLabel);
    layout->addWidget(FindField, 2);
    layout->addWidget(MatchCaseBox);
    layout->addWidget(RegularExpressionBox);
    layout->addWidget(NextButton);
    layout->addWidget(PreviousButton);
    layout->addWidget(MessageLabel, 3);
    layout->addWidget(CloseButton);

    FindField->installEventFilter(this);
    connect(FindField, &QLineEdit::textChanged, this, &FindBar::PatternChanged);
    connect(MatchCaseBox, &QCheckBox::toggled, this, &FindBar::PatternChanged);
    connect(RegularExpressionBox, &QCheckBox::toggled, this, &FindBar::PatternChanged);
    // After a click the keyboard goes back to the field, where Enter finds again.
    connect(NextButton, &QPushButton::clicked, this, [this] {
        Find(SearchDirection::Newer);
        FindField->setFocus(Qt::OtherFocusReason);
    });
    connect(PreviousButton, &QPushButton::clicked, this, [this] {
        Find(SearchDirection::Older);
        FindField->setFocus(Qt::OtherFocusReason);
    });
    connect(CloseButton, &QToolButton::clicked, this, &FindBar::Close);

    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, &FindBar::RunSlice);
    hide();
}

FindBar::~FindBar() {
    delegate_.SetFound(nullptr);
}

void FindBar::Open() {
    show();
    if (pattern_ && pattern_->CanSearch()) {
        delegate_.SetFound(pattern_);
        list_.viewport()->update();
    }
    FindField->setFocus(Qt::ShortcutFocusReason);
    FindField->selectAll();
}

void FindBar::Close() {
    if (Searching())
        Stop(QString());
    hide();
    delegate_.SetFound(nullptr);
    list_.viewport()->update();
    list_.setFocus(Qt::OtherFocusReason);
}

void FindBar::Escape() {
    if (Searching())
        Stop(QStringLiteral("Search stopped"));
    else
        Close();
}

void FindBar::PatternChanged() {
    if (Searching())
        Stop(QString());
    auto pattern = std::make_shared<const SearchPattern>(FindField->text().toStdString(),
                                                         MatchCaseBox->isChecked(),
                                                         RegularExpressionBox->isChecked());
    Show(QString::fromStdString(pattern->Error()), false);
    pattern_ = std::move(pattern);
    delegate_.SetFound(pattern_->CanSearch() && isVisible() ? pattern_ : nullptr);
    list_.viewport()->update();
}

void FindBar::Find(SearchDirection direction) {
    if (Searching())
        Stop(QString());
    if (!pattern_)
        PatternChanged();
    // An invalid expression keeps saying why; an empty text searches nothing.
    if (!pattern_->CanSearch())
        return;
    std::optional<size_t> from;
    const QModelIndex current = list_.currentIndex();
    if (current.isValid())
        from = size_t(current.row());
    direction_ = direction;
    search_ = std::make_unique<RowSearch>(pattern_, direction, NewestAtTop ? NewestAtTop() : false,
                                          model_.Lines(), from);
    search_->SetBlockBytes(Slices.BlockBytes);
    stepBytes_ = std::min<uint64_t>(Slices.StepBytes, FirstStepBytes);
    Show(QString(), false);
    RunSlice();
}

void FindBar::RunSlice() {
    if (!search_)
        return;
    QElapsedTimer clock;
    clock.start();
    SearchState state;
    do {
        const qint64 before = clock.nsecsElapsed();
        state = search_->Step(model_.Lines(), stepBytes_);
        // A step takes about a quarter of a slice: fewer bytes for an
        // expression that is slow on these lines, more again for a fast one.
        const double took = double(std::max<qint64>(clock.nsecsElapsed() - before, 1));
        const double wanted = double(stepBytes_) * double(Slices.SliceMs) * 0.25e6 / took;
        stepBytes_ = uint64_t(std::clamp(wanted, double(std::min(Slices.StepBytes, LeastStepBytes)),
                                         double(std::min(Slices.StepBytes, stepBytes_ * 4))));
    } while (state == SearchState::Running && clock.elapsed() < Slices.SliceMs);

    switch (state) {
    case SearchState::Running:
        if (MessageLabel->text().isEmpty())
            Show(QStringLiteral("Searching…"), false);
        slice_.start();
        return;
    case SearchState::Found: {
        const bool wrapped = search_->Wrapped();
        const QModelIndex found = model_.index(int(search_->FoundRow()), 0);
        search_.reset();
        list_.selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        const int top = list_.TopRow();
        const bool onScreen = found.row() >= top && found.row() < top + list_.FullRowsVisible();
        list_.scrollTo(found, onScreen ? QAbstractItemView::EnsureVisible
                                       : QAbstractItemView::PositionAtCenter);
        if (wrapped)
            Show(direction_ == SearchDirection::Newer
                     ? QStringLiteral("Search wrapped to the start")
                     : QStringLiteral("Search wrapped to the end"),
                 true);
        else
            Show(QString(), false);
        return;
    }
    case SearchState::NotFound:
        search_.reset();
        Show(QStringLiteral("Not found"), true);
        return;
    case SearchState::Stopped:
        Stop(QStringLiteral("Search stopped. ") + QString::fromStdString(search_->Error()));
        return;
    }
}

void FindBar::Stop(const QString& message) {
    slice_.stop();
    search_.reset();
    Show(message, !message.isEmpty());
}

void FindBar::Show(const QString& message, bool toStatusBar) {
    MessageLabel->setText(message);
    MessageLabel->setToolTip(message);
    if (toStatusBar)
        emit StatusMessage(message);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FindField && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(key->modifiers() & Qt::ShiftModifier ? SearchDirection::Older
                                                      : SearchDirection::Newer);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace marrowlight
