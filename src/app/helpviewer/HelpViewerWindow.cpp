#include "app/helpviewer/HelpViewerWindow.h"

#include "app/helpviewer/HelpCollection.h"

#include <QAction>
#include <QDesktopServices>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace marrowlight {

namespace {

const QString HelpScheme = QStringLiteral("qthelp");

// The anchors a page names: <a name>, and id attributes of headings.
QStringList AnchorNames(const QTextDocument& document) {
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        names += block.charFormat().anchorNames();
        for (auto it = block.begin(); !it.atEnd(); ++it)
            names += it.fragment().charFormat().anchorNames();
    }
    return names;
}

QLabel* LabelFor(const QString& text, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(control);
    QString name = text;
    control->setAccessibleName(name.remove('&'));
    return label;
}

} // namespace

HelpBrowser::HelpBrowser(HelpCollection& help, QWidget* parent)
    : QTextBrowser(parent), help_(help) {}

QUrl HelpBrowser::Resolve(const QUrl& link) const {
    if (!link.isRelative())
        return link;
    // The document's base is the page's folder, which would lose the page
    // under a link to one of its own anchors.
    const QUrl base = source().isValid() ? source() : document()->baseUrl();
    return base.resolved(link);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = Resolve(name);
    if (url.scheme() == HelpScheme) {
        const QByteArray bytes = help_.Data(url);
        if (bytes.isEmpty())
            return {};
        return bytes;
    }
    return QTextBrowser::loadResource(type, url);
}

HelpViewerWindow::HelpViewerWindow(HelpCollection& help, QWidget* parent)
    : QMainWindow(parent), help_(help) {
    setWindowTitle(QStringLiteral("Marrowlight Help"));
    setAccessibleName(windowTitle());
    resize(900, 640);

    Browser = new HelpBrowser(help_, this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Links are ours to follow: pages of the file here, the web outside.
    Browser->setOpenLinks(false);
    Browser->setOpenExternalLinks(false);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(4, 4, 4, 4);

    ContentsTree = help_.Engine().contentWidget();
    ContentsTree->setObjectName(QStringLiteral("ContentsTree"));
    ContentsTree->setParent(side);
    SearchField = new QLineEdit(side);
    SearchField->setObjectName(QStringLiteral("SearchEdt"));
    SearchField->setClearButtonEnabled(true);
    SearchField->setPlaceholderText(QStringLiteral("Words to find"));
    FoundList = new QListWidget(side);
    FoundList->setObjectName(QStringLiteral("FoundLBx"));

    sideLayout->addWidget(LabelFor(QStringLiteral("&Contents"), ContentsTree, side));
    sideLayout->addWidget(ContentsTree, 3);
    sideLayout->addWidget(LabelFor(QStringLiteral("&Search"), SearchField, side));
    sideLayout->addWidget(SearchField);
    sideLayout->addWidget(LabelFor(QStringLiteral("&Found pages"), FoundList, side));
    sideLayout->addWidget(FoundList, 2);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 660});
    setCentralWidget(splitter);

    NavigationBar = addToolBar(QStringLiteral("Navigation"));
    NavigationBar->setObjectName(QStringLiteral("NavigationBar"));
    NavigationBar->setAccessibleName(QStringLiteral("Navigation"));
    NavigationBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    NavigationBar->setMovable(false);
    auto addNavigation = [this](const QString& text, QStyle::StandardPixmap icon,
                                const QKeySequence& key) {
        QAction* action = NavigationBar->addAction(style()->standardIcon(icon), text);
        action->setShortcut(key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
        if (QWidget* button = NavigationBar->widgetForAction(action))
            button->setAccessibleName(text);
        return action;
    };
    BackAct = addNavigation(QStringLiteral("Back"), QStyle::SP_ArrowBack,
                            QKeySequence(Qt::ALT | Qt::Key_Left));
    ForwardAct = addNavigation(QStringLiteral("Forward"), QStyle::SP_ArrowForward,
                               QKeySequence(Qt::ALT | Qt::Key_Right));
    HomeAct = addNavigation(QStringLiteral("Home"), QStyle::SP_DirHomeIcon,
                            QKeySequence(Qt::ALT | Qt::Key_Home));
    BackAct->setEnabled(false);
    ForwardAct->setEnabled(false);

    auto* findAct = new QAction(this);
    findAct->setShortcut(QKeySequence::Find);
    addAction(findAct);
    auto* closeAct = new QAction(this);
    closeAct->setShortcuts({QKeySequence(QKeySequence::Close), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    addAction(closeAct);

    connect(BackAct, &QAction::triggered, Browser, &QTextBrowser::backward);
    connect(ForwardAct, &QAction::triggered, Browser, &QTextBrowser::forward);
    connect(HomeAct, &QAction::triggered, this, [this] { Browser->setSource(home_); });
    connect(Browser, &QTextBrowser::backwardAvailable, BackAct, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardAct, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::anchorClicked, this, &HelpViewerWindow::FollowLink);
    connect(Browser, &QTextBrowser::sourceChanged, this, &HelpViewerWindow::PageChanged);
    connect(Browser, &QTextBrowser::highlighted, this, [this](const QUrl& link) {
        statusBar()->showMessage(link.isEmpty() ? QString() : Browser->Resolve(link).toString());
    });
    connect(ContentsTree, &QHelpContentWidget::linkActivated, this, &HelpViewerWindow::FollowLink);
    connect(ContentsTree, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (QHelpContentItem* item = help_.Engine().contentModel()->contentItemAt(index))
            FollowLink(item->url());
    });
    // The tree is filled in the background; mark the page once it is there.
    connect(help_.Engine().contentModel(), &QHelpContentModel::contentsCreated, this, [this] {
        ContentsTree->expandToDepth(0);
        PageChanged(Browser->source());
    });
    connect(SearchField, &QLineEdit::textChanged, this, &HelpViewerWindow::Search);
    connect(SearchField, &QLineEdit::returnPressed, this, [this] {
        if (FoundList->count() > 0)
            OpenFound(FoundList->item(0));
    });
    connect(FoundList, &QListWidget::itemActivated, this, &HelpViewerWindow::OpenFound);
    connect(FoundList, &QListWidget::itemClicked, this, &HelpViewerWindow::OpenFound);
    connect(findAct, &QAction::triggered, this, [this] {
        SearchField->setFocus(Qt::ShortcutFocusReason);
        SearchField->selectAll();
    });
    connect(closeAct, &QAction::triggered, this, &QWidget::close);

    home_ = help_.StartPage();
}

bool HelpViewerWindow::ShowTopic(const QString& topic) {
    const QUrl url = topic.isEmpty() ? home_ : help_.TopicUrl(topic);
    if (!url.isValid()) {
        Browser->setSource(home_);
        statusBar()->showMessage(QStringLiteral("The help has no page \"%1\".").arg(topic));
        return false;
    }
    Browser->setSource(url);
    return true;
}

void HelpViewerWindow::FollowLink(const QUrl& link) {
    const QUrl url = Browser->Resolve(link);
    if (url.scheme() != HelpScheme) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (!help_.Contains(url)) {
        statusBar()->showMessage(
            QStringLiteral("The help has no page \"%1\".").arg(url.fileName()));
        return;
    }
    Browser->setSource(url);
}

QString HelpViewerWindow::PageTitle() const {
    return Browser->documentTitle();
}

bool HelpViewerWindow::HasAnchor(const QUrl& url) const {
    if (!url.hasFragment())
        return true;
    QTextDocument page;
    page.setHtml(QString::fromUtf8(help_.Data(url)));
    return AnchorNames(page).contains(url.fragment());
}

QList<HelpViewerWindow::Link> HelpViewerWindow::PageLinks() const {
    QList<Link> links;
    const QTextDocument* document = Browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const QUrl url = Browser->Resolve(QUrl(format.anchorHref()));
            if (std::any_of(links.cbegin(), links.cend(),
                            [&url](const Link& known) { return known.url == url; }))
                continue;
            Link link{url, url.scheme() == HelpScheme, true};
            if (link.internal)
                link.resolves = help_.Contains(url) && HasAnchor(url);
            links.append(link);
        }
    }
    return links;
}

void HelpViewerWindow::Search(const QString& query) {
    FoundList->clear();
    for (const HelpCollection::Page& page : help_.Find(query)) {
        auto* item = new QListWidgetItem(page.title, FoundList);
        item->setData(Qt::UserRole, page.url);
    }
    if (!query.trimmed().isEmpty())
        statusBar()->showMessage(FoundList->count() == 0
                                     ? QStringLiteral("No page holds these words.")
                                     : QStringLiteral("%1 pages found.").arg(FoundList->count()));
    else
        statusBar()->clearMessage();
}

void HelpViewerWindow::OpenFound(QListWidgetItem* item) {
    if (!item)
        return;
    const QUrl url = item->data(Qt::UserRole).toUrl();
    Browser->setSource(url);
    if (url.hasFragment())
        return; // a keyword's section is already in view
    // Put the first word found under the reader's eyes.
    const QString first = SearchField->text().simplified().section(' ', 0, 0);
    if (!first.isEmpty() && Browser->toPlainText().contains(first, Qt::CaseInsensitive)) {
        Browser->moveCursor(QTextCursor::Start);
        Browser->find(first);
    }
}

void HelpViewerWindow::PageChanged(const QUrl& url) {
    Browser->setAccessibleName(Browser->documentTitle());
    const QModelIndex index = ContentsTree->indexOf(url);
    if (index.isValid()) {
        ContentsTree->setCurrentIndex(index);
        ContentsTree->scrollTo(index);
    }
}

} // namespace marrowlight
