#include "app/helpviewer/HelpCollection.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QHelpLink>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>

namespace marrowlight {

namespace {

const QString kTopicJoin = QStringLiteral("::/");

// One collection per help file path: several viewers of one file share it,
// and a rebuilt file at the same path is registered again (see the stamp).
QString CollectionFile(const QString& folder, const QString& helpFile) {
    const QByteArray key =
        QCryptographicHash::hash(helpFile.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(folder).filePath(
        QStringLiteral("marrowlight-help-%1.qhc").arg(QString::fromLatin1(key)));
}

QString Stamp(const QFileInfo& file) {
    return QString::number(file.lastModified().toMSecsSinceEpoch()) + '/' +
           QString::number(file.size());
}

QUrl WithoutFragment(const QUrl& url) {
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

HelpTarget SplitHelpArgument(const QString& argument) {
    // A file whose own path holds "::/" is still the file, whole.
    if (QFileInfo(argument).isFile())
        return {argument, {}};
    const qsizetype at = argument.lastIndexOf(kTopicJoin);
    if (at < 0)
        return {argument, {}};
    return {argument.left(at), argument.mid(at + kTopicJoin.size())};
}

HelpCollection::HelpCollection(const QString& helpFile, const QString& collectionFolder) {
    const QFileInfo info(helpFile);
    const QString path = info.absoluteFilePath();
    QDir().mkpath(collectionFolder);
    engine_ = std::make_unique<QHelpEngine>(CollectionFile(collectionFolder, path));
    // Read-only engines never create their collection file.
    engine_->setReadOnly(false);

    if (!info.isFile()) {
        error_ = QStringLiteral("Help file \"%1\" not found.").arg(info.fileName());
        return;
    }
    const QString name = QHelpEngineCore::namespaceName(path);
    if (name.isEmpty()) {
        error_ = QStringLiteral("\"%1\" is not a compiled help file.").arg(info.fileName());
        return;
    }
    if (!engine_->setupData()) {
        error_ = engine_->error();
        return;
    }
    const QString stampKey = QStringLiteral("marrowlight/stamp/") + name;
    const bool registered = engine_->registeredDocumentations().contains(name);
    if (!registered || engine_->documentationFileName(name) != path ||
        engine_->customValue(stampKey).toString() != Stamp(info)) {
        if (registered)
            engine_->unregisterDocumentation(name);
        if (!engine_->registerDocumentation(path)) {
            error_ = engine_->error();
            return;
        }
        engine_->setCustomValue(stampKey, Stamp(info));
    }
    namespace_ = name;
    LoadPages();
    if (pages_.isEmpty()) {
        namespace_.clear();
        error_ = QStringLiteral("Help file \"%1\" holds no pages.").arg(info.fileName());
    }
}

HelpCollection::~HelpCollection() = default;

void HelpCollection::LoadPages() {
    for (const QString& extension : {QStringLiteral("htm"), QStringLiteral("html")}) {
        for (const QUrl& url : engine_->files(namespace_, QString(), extension)) {
            QTextDocument document;
            document.setHtml(QString::fromUtf8(engine_->fileData(url)));
            QString title = document.metaInformation(QTextDocument::DocumentTitle);
            if (title.isEmpty())
                title = url.fileName();
            pages_.append({url, title, document.toPlainText()});
        }
    }
}

QUrl HelpCollection::TopicUrl(const QString& topic) const {
    const QUrl wanted(topic);
    const QString file = wanted.path();
    for (const Page& page : pages_) {
        if (page.url.fileName() == file || page.url.path().endsWith('/' + file)) {
            QUrl url = page.url;
            url.setFragment(wanted.fragment());
            return url;
        }
    }
    return {};
}

QUrl HelpCollection::StartPage() const {
    const QUrl overview = TopicUrl(QStringLiteral("Overview.htm"));
    if (overview.isValid() || pages_.isEmpty())
        return overview;
    return pages_.first().url;
}

QByteArray HelpCollection::Data(const QUrl& url) const {
    return engine_->fileData(WithoutFragment(url));
}

bool HelpCollection::Contains(const QUrl& url) const {
    // findFile answers for any name under a known namespace; only data tells.
    return url.scheme() == QLatin1String("qthelp") && !Data(url).isEmpty();
}

QList<HelpCollection::Page> HelpCollection::Find(const QString& query) const {
    const QStringList words =
        query.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};

    QList<Page> found;
    auto pageOf = [this](const QUrl& url) -> const Page* {
        for (const Page& page : pages_)
            if (page.url == WithoutFragment(url))
                return &page;
        return nullptr;
    };
    auto listed = [&found](const QUrl& url) {
        return std::any_of(found.cbegin(), found.cend(), [&url](const Page& page) {
            return WithoutFragment(page.url) == WithoutFragment(url);
        });
    };

    // A keyword of the index leads straight to its section.
    const QString phrase = words.join(' ');
    for (const QHelpLink& link : engine_->documentsForKeyword(phrase)) {
        const Page* page = pageOf(link.url);
        if (page && !listed(link.url))
            found.append({link.url, page->title, page->text});
    }

    struct Scored {
        const Page* page;
        qsizetype score;
    };
    QList<Scored> scored;
    for (const Page& page : pages_) {
        if (listed(page.url))
            continue;
        const QString title = page.title.toLower();
        const QString text = page.text.toLower();
        qsizetype score = 0;
        bool all = true;
        for (const QString& word : words) {
            const qsizetype inTitle = title.count(word);
            const qsizetype inText = text.count(word);
            if (inTitle + inText == 0) {
                all = false;
                break;
            }
            score += 20 * inTitle + inText;
        }
        if (all)
            scored.append({&page, score});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const Scored& a, const Scored& b) { return a.score > b.score; });
    for (const Scored& s : scored)
        found.append(*s.page);
    return found;
}

} // namespace marrowlight
