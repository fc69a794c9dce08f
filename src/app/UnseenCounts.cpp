#include "app/UnseenCounts.h"

#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "support/core/PathUtils.h"

#include <QColor>
#include <QFile>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace marrowlight {

namespace {

// What this class added to a tab's caption and tooltip, kept on the tab so
// that only that part is ever taken off again.
constexpr const char* CaptionAddition = "marrowlightUnseenCaption";
constexpr const char* ToolTipAddition = "marrowlightUnseenToolTip";

QString WithAddition(QObject& holder, const char* property, const QString& text,
                     const QString& addition) {
    const QString old = holder.property(property).toString();
    QString base = text;
    if (!old.isEmpty() && base.endsWith(old))
        base.chop(old.size());
    holder.setProperty(property, addition);
    return base + addition;
}

} // namespace

UnseenCounts::UnseenCounts(LogTabs& tabs, QWidget& window, QObject* parent)
    : QObject(parent), tabs_(tabs), window_(window), title_(window.windowTitle()) {}

void UnseenCounts::Take(const std::vector<UpdateCycle::TakenLines>& taken,
                        const std::function<bool(const LogTab&)>& lookedAt) {
    bool changed = false;
    for (const UpdateCycle::TakenLines& each : taken) {
        const std::array<uint64_t, 3>& drawn = each.Outcome.DrawnGroupLines;
        if (!each.Tab || (drawn[1] == 0 && drawn[2] == 0) || lookedAt(*each.Tab))
            continue;
        const bool known = counts_.count(each.Tab) > 0;
        Counts& counts = counts_[each.Tab];
        counts[0] += drawn[1];
        counts[1] += drawn[2];
        // A closed tab's address may be taken by the next one.
        if (!known)
            connect(each.Tab, &QObject::destroyed, this, [this, tab = each.Tab] {
                counts_.erase(tab);
                ShowTitle();
                if (Changed)
                    Changed();
            });
        Show(*each.Tab);
        changed = true;
    }
    if (!changed)
        return;
    ShowTitle();
    if (Changed)
        Changed();
}

void UnseenCounts::Seen(const LogTab& tab) {
    const auto it = counts_.find(&tab);
    if (it == counts_.end() || it->second == Counts{})
        return;
    it->second = {};
    Show(tab);
    ShowTitle();
    if (Changed)
        Changed();
}

uint64_t UnseenCounts::Count(const LogTab& tab, int g) const {
    const auto it = counts_.find(&tab);
    return it == counts_.end() || g < 2 || g > 3 ? 0 : it->second[g - 2];
}

uint64_t UnseenCounts::Count(const LogTab& tab) const {
    return Count(tab, 2) + Count(tab, 3);
}

uint64_t UnseenCounts::Total() const {
    uint64_t total = 0;
    for (const auto& [tab, counts] : counts_)
        total += counts[0] + counts[1];
    return total;
}

QString UnseenCounts::GroupName(int g) const {
    return tabs_.Options().Group(g).Name();
}

QString UnseenCounts::Summary() const {
    QStringList lines;
    for (int i = 0; i < tabs_.Count(); ++i) {
        const LogTab* tab = tabs_.Tab(i);
        if (!tab || Count(*tab) == 0)
            continue;
        QStringList parts;
        for (int g = 2; g <= 3; ++g)
            if (const uint64_t n = Count(*tab, g))
                parts << QStringLiteral("%1 %2").arg(n).arg(GroupName(g));
        lines << QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(tab->FileName()))) +
                     ": " + parts.join(", ");
    }
    return lines.join('\n');
}

void UnseenCounts::Show(const LogTab& tab) {
    const int index = tabs_.IndexOf(tab);
    if (index < 0)
        return;
    QTabWidget& pages = tabs_.TabWidget();
    auto& holder = const_cast<LogTab&>(tab);
    const uint64_t count = Count(tab);
    pages.setTabText(index, WithAddition(holder, CaptionAddition, pages.tabText(index),
                                         count ? QStringLiteral(" (%1)").arg(count) : QString()));
    QString tip;
    for (int g = 2; g <= 3; ++g)
        if (const uint64_t n = Count(tab, g))
            tip += QStringLiteral("\n%1 unseen: %2").arg(GroupName(g)).arg(n);
    pages.setTabToolTip(index, WithAddition(holder, ToolTipAddition, pages.tabToolTip(index), tip));
    // Coloured like the highest group among the unseen lines.
    const int group = Count(tab, 3) ? 3 : count ? 2 : 0;
    pages.tabBar()->setTabTextColor(index,
                                    group ? tabs_.Options().Group(group).Colour() : QColor());
}

void UnseenCounts::ShowAll() {
    for (const auto& [tab, counts] : counts_)
        Show(*tab);
    ShowTitle();
}

void UnseenCounts::ShowTitle() {
    const uint64_t total = Total();
    window_.setWindowTitle(total ? QStringLiteral("(%1) %2").arg(total).arg(title_) : title_);
}

} // namespace marrowlight
