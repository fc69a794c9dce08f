#include "settings/QSettingsBackend.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

QString ConfigHome() {
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
}

std::string Caught(const std::function<void()>& action) {
    try {
        action();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(QSettingsBackend, ApplicationStoreLivesInTheUsersConfigFolder) {
    ASSERT_FALSE(ConfigHome().isEmpty());
    EXPECT_EQ(ApplicationSettingsKeyName(), "Marrowlight2");
    SettingsStore& store = ApplicationSettingsStore();
    EXPECT_EQ(store.FullName("StayOnTop"), "Marrowlight.StayOnTop");

    EXPECT_FALSE(store.SettingExists("BackendTest.Empty"));
    EXPECT_EQ(store.ReadSetting("BackendTest.Empty"), "");
    store.WriteSetting("BackendTest.Empty", "");
    EXPECT_TRUE(store.SettingExists("BackendTest.Empty"));
    EXPECT_EQ(store.ReadSetting("BackendTest.Empty"), "");

    const QString file = ConfigHome() + "/Veltaroon/Marrowlight2.conf";
    ASSERT_TRUE(QFile::exists(file));
    // Dotted names stay one flat value inside the "Default" group.
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_TRUE(raw.contains("Default/Marrowlight.BackendTest.Empty"));
}

TEST(QSettingsBackend, ValuesComeBackWhole) {
    QSettingsBackend backend("Veltaroon", "MarrowlightRoundTrip");
    SettingsStore store(backend, "Marrowlight");
    const std::string values[] = {
        std::string(300, 'x') + "end",
        "Error;Fatal;Exception",
        "a, b, c",
        "@Rect(1 2 3 4)",
        "  blanks around  ",
        "/var/log/\xC3\xBC"
        "ber.log",
        "/var/log/\xFC\xFF-latin1.log", // not UTF-8
        "back\\slash \"quoted\" = [brackets]",
        "line\nbreak",
        "",
    };
    int i = 0;
    for (const std::string& value : values) {
        const std::string name = "OptionsFrm.PageControl.Value" + std::to_string(i++);
        store.WriteSetting(name, value);
        EXPECT_EQ(store.ReadSetting(name), value) << name;
    }
}

// Qt keeps a parsed copy of a settings file per process; a copy under
// another name is parsed from what is on disk.
TEST(QSettingsBackend, BytesThatAreNotUtf8ComeBackFromTheFile) {
    using namespace std::string_literals;
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += char(b);
    const std::string values[] = {
        "/var/log/caf\xE9.log",
        "/srv/\xC3\xA9t\xE9/\xFF\xFE\x80.log", // valid and invalid sequences mixed
        "/tmp/\xC3",                           // cut in the middle of a sequence
        everyByte,
        "with\0zero\xE9"s,
        "/var/log/caf\xC3\xA9.log", // valid UTF-8 stays text
    };
    QSettingsBackend backend("Veltaroon", "MarrowlightBytes");
    SettingsStore store(backend, "Marrowlight");
    for (std::size_t i = 0; i < std::size(values); ++i)
        store.WriteSetting("Value" + std::to_string(i), values[i]);
    const QString folder = ConfigHome() + "/Veltaroon/";
    QFile::remove(folder + "MarrowlightBytesCopy.conf");
    ASSERT_TRUE(
        QFile::copy(folder + "MarrowlightBytes.conf", folder + "MarrowlightBytesCopy.conf"));

    QSettingsBackend copy("Veltaroon", "MarrowlightBytesCopy");
    SettingsStore fromDisk(copy, "Marrowlight");
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(fromDisk.ReadSetting("Value" + std::to_string(i)), values[i]) << i;
    QSettings raw(folder + "MarrowlightBytesCopy.conf", QSettings::IniFormat);
    EXPECT_EQ(raw.value("Default/Marrowlight.Value5").typeId(), QMetaType::QString);
}

TEST(QSettingsBackend, ListsOnDisk) {
    QSettingsBackend backend("Veltaroon", "MarrowlightLists");
    SettingsStore store(backend, "Marrowlight");
    store.WriteSettingList("FileHistoryList", {"/a", "/b", "/c", "/d", "/e"});
    store.WriteSettingList("FileHistoryList", {"/x", "/y", "/z"});
    EXPECT_EQ(store.ReadSettingList("FileHistoryList"),
              (std::vector<std::string>{"/x", "/y", "/z"}));
    EXPECT_FALSE(store.SettingExists("FileHistoryList.Item3")) << "the longer list's items go";
    EXPECT_FALSE(store.SettingExists("FileHistoryList.Item4"));

    for (const char* count : {"-2", "three"}) {
        store.WriteSetting("FileHistoryList.ItemsCount", count);
        EXPECT_TRUE(store.ReadSettingList("FileHistoryList").empty()) << count;
    }
}

TEST(QSettingsBackend, TwoInstancesShareTheStoreAndTheLastWriterWins) {
    QSettingsBackend first("Veltaroon", "MarrowlightShared");
    QSettingsBackend second("Veltaroon", "MarrowlightShared");
    SettingsStore a(first, "Marrowlight");
    SettingsStore b(second, "Marrowlight");

    a.WriteSetting("LastFocusedFile", "/var/log/a.log");
    EXPECT_EQ(b.ReadSetting("LastFocusedFile"), "/var/log/a.log");
    b.WriteSetting("LastFocusedFile", "/var/log/b.log");
    EXPECT_EQ(a.ReadSetting("LastFocusedFile"), "/var/log/b.log");
    a.WriteSetting("Group1Mnu", "1");
    b.WriteSetting("Group2Mnu", "0");
    EXPECT_EQ(a.ReadSetting("Group2Mnu"), "0");
    EXPECT_EQ(b.ReadSetting("Group1Mnu"), "1");
}

// A settings file as another tool or a hand edit left it.
bool WriteConfigFile(const QString& application, const char* content) {
    const QString folder = ConfigHome() + "/Veltaroon";
    QFile file(folder + "/" + application + ".conf");
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == qint64(qstrlen(content));
}

TEST(QSettingsBackend, ValueOfAnotherTypeIsRefused) {
    ASSERT_TRUE(
        WriteConfigFile("MarrowlightForeign",
                        "[Default]\nMarrowlight.Group1Masks=Error, Fatal\nMarrowlight.Fine=ok\n"));

    QSettingsBackend backend("Veltaroon", "MarrowlightForeign");
    SettingsStore store(backend, "Marrowlight");
    EXPECT_TRUE(store.SettingExists("Group1Masks"));
    EXPECT_EQ(Caught([&] { store.ReadSetting("Group1Masks"); }),
              "Invalid data type for 'Marrowlight.Group1Masks'");
    EXPECT_EQ(store.ReadSetting("Fine"), "ok");
}

TEST(QSettingsBackend, AValueThatIsNotOneTextIsNamedOnStandardErrorOnce) {
    ASSERT_TRUE(WriteConfigFile("MarrowlightHandList", "[Default]\n"
                                                       "Marrowlight.Group1Masks=Error, Fatal\n"
                                                       "Marrowlight.Group2Masks=\"Warn, warn\"\n"
                                                       "Marrowlight.Group3Masks=Error;Fatal\n"));
    QSettingsBackend backend("Veltaroon", "MarrowlightHandList");
    SettingsStore store(backend, "Marrowlight");
    testing::internal::CaptureStderr();
    EXPECT_EQ(store.ReadSetting("Group2Masks"), "Warn, warn") << "quoted, it is one text";
    EXPECT_EQ(store.ReadSetting("Group3Masks"), "Error") << "unquoted, \";\" starts a comment";
    for (int reading = 0; reading < 2; ++reading)
        EXPECT_THROW(store.ReadSetting("Group1Masks"), SettingsError);
    const std::string reported = testing::internal::GetCapturedStderr();
    const std::string file =
        QFile::encodeName(ConfigHome()).toStdString() + "/Veltaroon/MarrowlightHandList.conf";
    EXPECT_EQ(reported, "Marrowlight: the stored value 'Marrowlight.Group1Masks' in " + file +
                            " is not one text and is ignored; write a value that holds ';' or "
                            "',' in double quotes\n");

    // What Marrowlight writes itself comes back whole.
    store.WriteSetting("Group1Masks", "Error, Fatal;Panic");
    EXPECT_EQ(store.ReadSetting("Group1Masks"), "Error, Fatal;Panic");
}

TEST(QSettingsBackend, LinesItCannotParseDoNotFailWrites) {
    ASSERT_TRUE(
        WriteConfigFile("MarrowlightHandEdited",
                        "[Default]\n# edited by hand\nMarrowlight.Fine=ok\nno equals sign here\n"));

    QSettingsBackend backend("Veltaroon", "MarrowlightHandEdited");
    SettingsStore store(backend, "Marrowlight");
    const std::pair<const char*, const char*> values[] = {
        {"StayOnTop", "1"}, {"Group1Masks", "Error;Fatal"}, {"Fine", "changed"}};
    for (const auto& [name, value] : values) {
        EXPECT_EQ(Caught([&] { store.WriteSetting(name, value); }), "(no error)") << name;
        EXPECT_EQ(store.ReadSetting(name), value) << name;
    }
    EXPECT_EQ(Caught([&] {
                  store.WriteSettingList("FileHistoryList", {"/a", "/b"});
              }),
              "(no error)");
    EXPECT_EQ(store.ReadSettingList("FileHistoryList"), (std::vector<std::string>{"/a", "/b"}));
}

void ExpectWriteRefused(const QString& organization) {
    QSettingsBackend backend(organization, "Marrowlight2");
    SettingsStore store(backend, "Marrowlight");
    EXPECT_EQ(Caught([&] { store.WriteSetting("StayOnTop", "1"); }),
              "Failed to set data for 'Marrowlight.StayOnTop'");
    EXPECT_EQ(Caught([&] { store.WriteSettingList("FileHistoryList", {"/a"}); }),
              "Failed to set data for 'Marrowlight.FileHistoryList.ItemsCount'");
    EXPECT_FALSE(store.SettingExists("StayOnTop"));
    EXPECT_EQ(store.ReadSetting("StayOnTop"), "");
}

TEST(QSettingsBackend, StoreInPlaceOfAFileReportsTheFailure) {
    // A plain file where the organization folder belongs: even root cannot write.
    QFile blocker(ConfigHome() + "/VeltaroonBlocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ExpectWriteRefused("VeltaroonBlocked");
}

TEST(QSettingsBackend, ReadOnlyFolderReportsTheFailure) {
    const QString folder = ConfigHome() + "/VeltaroonLocked";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(folder + "/probe");
    const bool stillWritable = probe.open(QIODevice::WriteOnly);
    if (stillWritable)
        probe.remove();
    else
        ExpectWriteRefused("VeltaroonLocked");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (stillWritable)
        GTEST_SKIP() << "this user can write into a read-only folder";
}

} // namespace
} // namespace marrowlight
