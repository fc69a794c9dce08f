#include "app/Session.h"

#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/StoredNames.h"

#include <QFile>
#include <QStringList>
#include <filesystem>
#include <system_error>
#include <vector>

namespace marrowlight {

namespace {

// The folder relative paths were given against, as bytes.
std::string WorkingFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

} // namespace

void StoreSession(SettingsStore& store, const LogTabs& tabs) {
    std::vector<std::string> open;
    int current = -1;
    for (int i = 0; i < tabs.Count(); ++i) {
        const LogTab* tab = tabs.Tab(i);
        if (!tab)
            continue;
        if (tab == tabs.ActiveTab())
            current = static_cast<int>(open.size());
        open.push_back(tab->FileName());
    }
    const SessionLogs session = SessionToStore(open, current, WorkingFolder());
    SettingsWrites writes;
    writes.Attempt([&] { store.WriteSettingList(stored::LastSession, session.Logs); });
    writes.Write(store, stored::LastSessionCurrent, std::to_string(session.Current));
    writes.ThrowFirstFailure();
}

SessionLogs ReadStoredSession(const SettingsStore& store) {
    SessionLogs session;
    try {
        session.Logs = store.ReadSettingList(stored::LastSession);
    } catch (const SettingsError&) {
        return {};
    }
    const std::string current = ReadReadableSetting(store, stored::LastSessionCurrent).value_or("");
    bool ok = false;
    const int index = QString::fromStdString(current).toInt(&ok);
    session.Current = ok && index >= 0 ? index : -1;
    return session;
}

QString ReopenSession(const SessionLogs& session, LogTabs& tabs,
                      const std::function<bool(const std::string&)>& exists) {
    const SessionReopen plan = PlanSessionReopen(session, exists);
    for (const std::string& log : plan.Open)
        tabs.OpenLog(log);
    if (plan.Current >= 0)
        tabs.OpenLog(plan.Open[plan.Current]); // activates its tab
    if (plan.Missing.empty())
        return {};
    QStringList names;
    for (const std::string& log : plan.Missing)
        names << QFile::decodeName(QByteArray::fromStdString(log));
    return QStringLiteral("Not reopened, no longer there: ") + names.join(", ");
}

} // namespace marrowlight
