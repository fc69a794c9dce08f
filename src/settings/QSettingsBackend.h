#pragma once

#include "settings/core/SettingsStore.h"

#include <QString>

namespace marrowlight {

// The settings key as a QSettings group: on Linux the file
// $XDG_CONFIG_HOME/<organization>/<application>.conf, on Windows the
// registry key of the same path, group "Default". Every OpenSettingsKey makes
// a new QSettings object, so values written by other instances show at once.
class QSettingsBackend : public SettingsBackend {
  public:
    QSettingsBackend(QString organization, QString application, QString group = "Default");

    std::unique_ptr<SettingsKey> OpenSettingsKey() override;

  private:
    QString organization_;
    QString application_;
    QString group_;
};

// "Marrowlight" + the program's major version, as the settings key's name.
QString ApplicationSettingsKeyName();

// The application's store (organization "Veltaroon"), created on first use
// and kept until exit.
SettingsStore& ApplicationSettingsStore();

} // namespace marrowlight
