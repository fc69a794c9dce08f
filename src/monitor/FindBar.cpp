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

namespace marrowlight {

namespace {

// The main window's menu bar takes these letters window-wide; the bar's own
// keys must differ, or neither would act.
const char* const MenuBarCaptions[] = {"File", "View", "Options", "Help"};

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
    FindEdt = new QLineEdit(this);
    FindEdt->setObjectName(QStringLiteral("FindEdt"));
    FindEdt->setClearButtonEnabled(true);
    // Files dropped here open as logs, as anywhere in the window.
    FindEdt->setAcceptDrops(false);
    FindLbl = new QLabel(QStringLiteral("Find:"), this);
    FindLbl->setBuddy(FindEdt);
    MatchCaseChk = new QCheckBox(QStringLiteral("Match case"), this);
    MatchCaseChk->setObjectName(QStringLiteral("MatchCaseChk"));
    RegularExpressionChk = new QCheckBox(QStringLiteral("Regular expression"), this);
    RegularExpressionChk->setObjectName(QStringLiteral("RegularExpressionChk"));
    NextBtn = new QPushButton(QStringLiteral("Next"), this);
    NextBtn->setObjectName(QStringLiteral("NextBtn"));
    NextBtn->setToolTip(QStringLiteral("Find toward newer lines (Enter, F3)"));
    PreviousBtn = new QPushButton(QStringLiteral("Previous"), this);
    PreviousBtn->setObjectName(QStringLiteral("PreviousBtn"));
    PreviousBtn->setToolTip(QStringLiteral("Find toward older lines (Shift+Enter, Shift+F3)"));
    for (QPushButton* button : {NextBtn, PreviousBtn})
        button->setAutoDefault(false);
    CloseBtn = new QToolButton(this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    CloseBtn->setAutoRaise(true);
    CloseBtn->setAccessibleName(QStringLiteral("Close the find bar"));
    CloseBtn->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    MessageLbl = new QLabel(this);
    MessageLbl->setObjectName(QStringLiteral("MessageLbl"));
    MessageLbl->setTextFormat(Qt::PlainText);
    MessageLbl->setMinimumWidth(0);
    MessageLbl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    AssignKeys(FindLbl, {MatchCaseChk, RegularExpressionChk, NextBtn, PreviousBtn});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(FindLbl);
    layout->addWidget(FindEdt, 2);
    layout->addWidget(MatchCaseChk);
    layout->addWidget(RegularExpressionChk);
    layout->addWidget(NextBtn);
    layout->addWidget(PreviousBtn);
    layout->addWidget(MessageLbl, 3);
    layout->addWidget(CloseBtn);

    FindEdt->installEventFilter(this);
    connect(FindEdt, &QLineEdit::textChanged, this, &FindBar::PatternChanged);
    connect(MatchCaseChk, &QCheckBox::toggled, this, &FindBar::PatternChanged);
    connect(RegularExpressionChk, &QCheckBox::toggled, this, &FindBar::PatternChanged);
    // After a click the keyboard goes back to the field, where Enter finds again.
    connect(NextBtn, &QPushButton::clicked, this, [this] {
        Find(SearchDirection::Newer);
        FindEdt->setFocus(Qt::OtherFocusReason);
    });
    connect(PreviousBtn, &QPushButton::clicked, this, [this] {
        Find(SearchDirection::Older);
        FindEdt->setFocus(Qt::OtherFocusReason);
    });
    connect(CloseBtn, &QToolButton::clicked, this, &FindBar::Close);

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
    FindEdt->setFocus(Qt::ShortcutFocusReason);
    FindEdt->selectAll();
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
    auto pattern = std::make_shared<const SearchPattern>(FindEdt->text().toStdString(),
                                                         MatchCaseChk->isChecked(),
                                                         RegularExpressionChk->isChecked());
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
        state = search_->Step(model_.Lines(), Slices.StepBytes);
    } while (state == SearchState::Running && clock.elapsed() < Slices.SliceMs);

    switch (state) {
    case SearchState::Running:
        if (MessageLbl->text().isEmpty())
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
    MessageLbl->setText(message);
    MessageLbl->setToolTip(message);
    if (toStatusBar)
        emit StatusMessage(message);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FindEdt && event->type() == QEvent::KeyPress) {
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
