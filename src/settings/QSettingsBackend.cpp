#include "settings/QSettingsBackend.h"

#include "Version.h"
#include "settings/core/StoredNames.h"
#include "support/core/TextUtils.h"

#include <QFile>
#include <QSettings>
#include <cstdio>
#include <set>
#include <utility>

namespace marrowlight {

namespace {

constexpr const char* ApplicationTitle = "Marrowlight";

QString Key(const std::string& fullName) {
    return QString::fromStdString(fullName);
}

// Text as text; bytes that are not UTF-8 (a Linux file name in another
// encoding) as raw bytes, so a stored path still opens the same file.
QVariant Stored(const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value)
        return text;
    return QByteArray::fromStdString(value);
}

// Once per value and run: a value is read again at every Cancel of Options.
void ReportUnreadable(const std::string& fullName, const QString& file) {
    static std::set<std::pair<QString, std::string>> reported;
    if (!reported.emplace(file, fullName).second)
        return;
    std::fprintf(stderr,
                 "Marrowlight: the stored value '%s' in %s is not one text and is ignored; "
                 "write a value that holds ';' or ',' in double quotes\n",
                 fullName.c_str(), QFile::encodeName(file).constData());
}

class QSettingsKey : public SettingsKey {
  public:
    QSettingsKey(const QString& organization, const QString& application, const QString& group)
        : settings_(QSettings::NativeFormat, QSettings::UserScope, organization, application),
          organization_(organization), application_(application), group_(group) {
        // Only the user's own key counts: no organization-wide or system file.
        settings_.setFallbacksEnabled(false);
        settings_.beginGroup(group);
    }

    bool Exists(const std::string& fullName) const override {
        return settings_.contains(Key(fullName));
    }

    std::string Read(const std::string& fullName) const override {
        const QVariant value = settings_.value(Key(fullName));
        if (!value.isValid())
            return {};
        if (value.typeId() == QMetaType::QString)
            return value.toString().toStdString();
        if (value.typeId() == QMetaType::QByteArray)
            return value.toByteArray().toStdString();
        // A hand edit ("Error, Fatal" unquoted reads as a list) or another tool
        // stored something that is not one text. The caller keeps its value;
        // the user learns which one to fix.
        ReportUnreadable(fullName, settings_.fileName());
        throw SettingsError("Invalid data type for '" + fullName + "'");
    }

    void Write(const std::string& fullName, const std::string& value) override {
        settings_.setValue(Key(fullName), Stored(value));
        settings_.sync();
        const QSettings::Status status = settings_.status();
        // A FormatError only says the file held a line QSettings could not
        // parse (a hand-written comment), and QSettings keeps the first error
        // it met: whether the value was stored is then checked on the file.
        if (status == QSettings::AccessError ||
            (status == QSettings::FormatError && !StoredOnDisk(fullName, value)))
            throw SettingsError("Failed to set data for '" + fullName + "'");
    }

    void Remove(const std::string& fullName) override {
        if (!settings_.contains(Key(fullName)))
            return;
        settings_.remove(Key(fullName));
        settings_.sync();
        if (settings_.status() == QSettings::AccessError)
            throw SettingsError("Failed to set data for '" + fullName + "'");
    }

  private:
    bool StoredOnDisk(const std::string& fullName, const std::string& value) const {
        QSettingsKey fresh(organization_, application_, group_);
        return fresh.Exists(fullName) && fresh.settings_.value(Key(fullName)) == Stored(value);
    }

    mutable QSettings settings_;
    QString organization_;
    QString application_;
    QString group_;
};

} // namespace

QSettingsBackend::QSettingsBackend(QString organization, QString application, QString group)
    : organization_(std::move(organization)), application_(std::move(application)),
      group_(std::move(group)) {}

std::unique_ptr<SettingsKey> QSettingsBackend::OpenSettingsKey() {
    return std::make_unique<QSettingsKey>(organization_, application_, group_);
}

QString ApplicationSettingsKeyName() {
    return QString::fromStdString(RemoveSpaces(ApplicationTitle)) +
           QString::number(ProgramMajorVersionNumber);
}

SettingsStore& ApplicationSettingsStore() {
    static QSettingsBackend backend(stored::Organization, ApplicationSettingsKeyName());
    static SettingsStore store(backend, RemoveSpaces(ApplicationTitle));
    return store;
}

} // namespace marrowlight
