#pragma once

#include "app/core/SessionPlan.h"

#include <QString>
#include <functional>
#include <string>

namespace marrowlight {

class LogTabs;
class SettingsStore;

// The logs of the open tabs, kept at close so that "Reopen Last Session"
// (or the start) opens them again. Throws SettingsError when the store
// refuses.
void StoreSession(SettingsStore& store, const LogTabs& tabs);
// The stored session; nothing when it cannot be read.
SessionLogs ReadStoredSession(const SettingsStore& store);
// Opens what of the session still exists in its order and makes the current
// log current again. Returns the status bar's note naming the logs that no
// longer exist, empty when every one was there.
QString ReopenSession(const SessionLogs& session, LogTabs& tabs,
                      const std::function<bool(const std::string&)>& exists);

} // namespace marrowlight
