#include <gtest/gtest.h>

#include <QDir>
#include <cstdlib>

#include "common/testing.h"
#include "foundation/inifile.h"
#include "foundation/settings.h"
#include "platform/paths.h"

namespace roomvale {
namespace {

using testing::readFile;

std::string configRoot() { return std::getenv("XDG_CONFIG_HOME"); }

// Every test starts from an empty store.
class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    store = iniFileForKey(getRegistryKey());
    ::unlink(store.c_str());
  }
  void TearDown() override { ::unlink(store.c_str()); }
  // Puts a raw value into the store, as another program or an older version might have.
  void raw(const QString& section, const QString& key, const QString& value) {
    ASSERT_TRUE(WriteString(section, key, value));
  }
  std::string store;
};

TEST(SettingsPaths, KeyPathsMapToIniFilesBelowTheConfigRoot) {
  EXPECT_EQ(getRegistryKey(), QStringLiteral("Software\\Fernholt Corporation\\Roomvale\\3.0"));
  const std::string root = configRoot();
  EXPECT_EQ(iniFileForKey(getRegistryKey()), root + "/Software/Fernholt Corporation/Roomvale/3.0.ini");
  EXPECT_EQ(iniFileForKey(QStringLiteral("roomval.ini")), root + "/roomval.ini");
  EXPECT_EQ(iniFileForKey(QStringLiteral("ROOMVAL.INI")), root + "/ROOMVAL.INI");
  EXPECT_EQ(iniFileForKey(QStringLiteral("roomvl98")), root + "/roomvl98.ini");
  EXPECT_EQ(iniFileForKey(QStringLiteral("Software\\Fernholt Corporation\\")),
            root + "/Software/Fernholt Corporation.ini");
  // A key path never leads outside the config root.
  EXPECT_EQ(iniFileForKey(QStringLiteral("..\\..\\etc\\passwd")), root + "/etc/passwd.ini");
  EXPECT_EQ(iniFileForKey(QString()), std::string());
  EXPECT_EQ(readIniString(QString(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
            QStringLiteral("d"));
  EXPECT_FALSE(writeIniString(QString(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
}

TEST_F(SettingsStore, TextValuesAndDefaults) {
  EXPECT_EQ(ReadString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QStringLiteral("/")), QStringLiteral("/"));
  ASSERT_TRUE(WriteString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QStringLiteral("/home/u/Zips/")));
  ASSERT_TRUE(WriteString(QStringLiteral("ZipFile"), QStringLiteral("Comment"), QStringLiteral(" Ä \"x\"\n; y ")));
  EXPECT_EQ(ReadString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QString()), QStringLiteral("/home/u/Zips/"));
  EXPECT_EQ(ReadString(QStringLiteral("ZipFile"), QStringLiteral("Comment"), QString()),
            QStringLiteral(" Ä \"x\"\n; y "));
  EXPECT_EQ(ReadString(QStringLiteral("ZipFile"), QStringLiteral("Other"), QStringLiteral("dflt")),
            QStringLiteral("dflt"));
  // Other keys of the store are not disturbed by later writes.
  ASSERT_TRUE(WriteString(QStringLiteral("Folders"), QStringLiteral("When"), QStringLiteral("Not recorded")));
  EXPECT_EQ(ReadString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QString()), QStringLiteral("/home/u/Zips/"));
}

TEST_F(SettingsStore, IntegersReadDecimalAndHexAndFallBackOnAnythingElse) {
  const QString s = QStringLiteral("Roomvale");
  raw(s, QStringLiteral("hex"), QStringLiteral("0x1F"));
  raw(s, QStringLiteral("HEX"), QStringLiteral("0X1f"));
  raw(s, QStringLiteral("neg"), QStringLiteral("-5"));
  raw(s, QStringLiteral("empty"), QString());
  raw(s, QStringLiteral("bare0x"), QStringLiteral("0x"));
  raw(s, QStringLiteral("junk"), QStringLiteral("12abc"));
  raw(s, QStringLiteral("allbits"), QStringLiteral("0xFFFFFFFF"));
  raw(s, QStringLiteral("toobig"), QStringLiteral("2147483648"));
  raw(s, QStringLiteral("hexbig"), QStringLiteral("0x100000000"));
  raw(s, QStringLiteral("min"), QStringLiteral("-2147483648"));
  EXPECT_EQ(ReadInteger(s, QStringLiteral("Hex"), 7), 31);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("neg"), 7), -5);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("empty"), 7), 7);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("bare0x"), 7), 7);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("junk"), 7), 7);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("allbits"), 7), -1);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("toobig"), 7), 7);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("hexbig"), 7), 7);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("min"), 7), -2147483647 - 1);
  EXPECT_EQ(ReadInteger(s, QStringLiteral("missing"), -1), -1);

  ASSERT_TRUE(WriteInteger(s, QStringLiteral("DelDate"), 36526));
  ASSERT_TRUE(WriteInteger(s, QStringLiteral("NZip"), -1));
  EXPECT_EQ(ReadString(s, QStringLiteral("DelDate"), QString()), QStringLiteral("36526"));
  EXPECT_EQ(ReadInteger(s, QStringLiteral("NZip"), 0), -1);
}

TEST_F(SettingsStore, RunningTotalsKeepSixtyFourBits) {
  const QString s = QStringLiteral("Roomvale");
  EXPECT_EQ(ReadInt64(s, QStringLiteral("SizeDelete"), -1), -1);
  ASSERT_TRUE(WriteInt64(s, QStringLiteral("SizeDelete"), 5'000'000'000'123LL));
  EXPECT_EQ(ReadString(s, QStringLiteral("SizeDelete"), QString()), QStringLiteral("5000000000123"));
  EXPECT_EQ(ReadInt64(s, QStringLiteral("SizeDelete"), -1), 5'000'000'000'123LL);
  raw(s, QStringLiteral("bad"), QStringLiteral("99999999999999999999"));
  EXPECT_EQ(ReadInt64(s, QStringLiteral("bad"), -1), -1);
  // A total added in one locked step.
  ASSERT_TRUE(updateSettings([](IniDocument& d) {
    const QString* v = d.find(QStringLiteral("Roomvale"), QStringLiteral("SizeDelete"));
    d.set(QStringLiteral("Roomvale"), QStringLiteral("SizeDelete"), QString::number(v->toLongLong() + 7));
    return true;
  }));
  EXPECT_EQ(ReadInt64(s, QStringLiteral("SizeDelete"), -1), 5'000'000'000'130LL);
}

TEST_F(SettingsStore, ListDefaultsApplyOnlyWhileNumberIsMissingOrNegative) {
  const QStringList defaults{QStringLiteral("*.doc"), QStringLiteral("*.exe"), QStringLiteral("*.dll")};
  EXPECT_EQ(readListSection(QStringLiteral("Include"), defaults, false), defaults);
  raw(QStringLiteral("Include"), QStringLiteral("Number"), QStringLiteral("abc"));
  EXPECT_EQ(readListSection(QStringLiteral("Include"), defaults, false), defaults);
  raw(QStringLiteral("Include"), QStringLiteral("Number"), QStringLiteral("-3"));
  EXPECT_EQ(readListSection(QStringLiteral("Include"), defaults, false), defaults);
  ASSERT_TRUE(writeListSection(QStringLiteral("Include"), {}));
  EXPECT_EQ(ReadString(QStringLiteral("Include"), QStringLiteral("Number"), QString()), QStringLiteral("0"));
  EXPECT_TRUE(readListSection(QStringLiteral("Include"), defaults, false).isEmpty());
}

TEST_F(SettingsStore, ListReadingSkipsMissingAndEmptyEntries) {
  const QString s = QStringLiteral("NewFolders");
  raw(s, QStringLiteral("Number"), QStringLiteral("3"));
  raw(s, QStringLiteral("File1"), QStringLiteral("/first"));
  raw(s, QStringLiteral("File3"), QStringLiteral("/third"));
  EXPECT_EQ(readListSection(s, {QStringLiteral("/dflt")}, false), (QStringList{"/first", "/third"}));
  raw(s, QStringLiteral("File2"), QString());
  EXPECT_EQ(readListSection(s, {}, false), (QStringList{"/first", "/third"}));
  // Only "File" + the number in plain decimal counts, in any letter case; "Number" bounds it.
  raw(s, QStringLiteral("File02"), QStringLiteral("/zero-padded"));
  raw(s, QStringLiteral("file2"), QStringLiteral("/second"));
  raw(s, QStringLiteral("File4"), QStringLiteral("/beyond"));
  EXPECT_EQ(readListSection(s, {}, false), (QStringList{"/first", "/second", "/third"}));
  // A damaged count costs nothing and reads what is there.
  raw(s, QStringLiteral("Number"), QStringLiteral("2147483647"));
  EXPECT_EQ(readListSection(s, {}, false), (QStringList{"/first", "/second", "/third", "/beyond"}));
}

TEST_F(SettingsStore, ShrunkListLeavesOldEntriesUnread) {
  const QString s = QStringLiteral("CacheFiles");
  ASSERT_TRUE(writeListSection(s, {"/a", "/b", "/c", "/d", "/e"}));
  ASSERT_TRUE(writeListSection(s, {"/x", "/y"}));
  EXPECT_EQ(readListSection(s, {}, false), (QStringList{"/x", "/y"}));
  EXPECT_EQ(ReadString(s, QStringLiteral("File5"), QString()), QStringLiteral("/e"));
  EXPECT_EQ(ReadString(s, QStringLiteral("Number"), QString()), QStringLiteral("2"));
}

TEST_F(SettingsStore, TypeListsStoreThePatternAndShowTheDescription) {
  const QString s = QStringLiteral("TempFiles");
  ASSERT_TRUE(writeListSection(
      s, {QStringLiteral("*.tmp\tTemporary file"), QStringLiteral("*.Q9Z"), QStringLiteral("\tonly a description")}));
  EXPECT_EQ(ReadString(s, QStringLiteral("File1"), QString()), QStringLiteral("*.tmp"));
  EXPECT_EQ(ReadString(s, QStringLiteral("File2"), QString()), QStringLiteral("*.Q9Z"));
  EXPECT_EQ(readListSection(s, {}, false), (QStringList{"*.tmp", "*.Q9Z"}));
  const QStringList shown = readListSection(s, {}, true);
  ASSERT_EQ(shown.size(), 2);
  EXPECT_TRUE(shown[0].startsWith(QStringLiteral("*.tmp\t")));
  EXPECT_EQ(shown[1], QStringLiteral("*.Q9Z\tQ9Z File"));
  // The defaults are shown the same way.
  EXPECT_EQ(readListSection(QStringLiteral("Exclude"), {QStringLiteral("*.q8z")}, true),
            QStringList{QStringLiteral("*.q8z\tQ8Z File")});
}

TEST_F(SettingsStore, EveryTextReadsBackExactlyOrItsWriteFailsWithAMessage) {
  testing::ScriptedPrompts prompts;
  const QString folder = platform::toDisplay("/srv/data/\xE9t\xE9/");
  const QString bom = QString(QChar(0xFEFF)) + QStringLiteral("x");
  const QString long1 = QString(1'048'577, QChar(u'v'));
  for (const QString& value : {folder, bom, long1}) {
    ASSERT_TRUE(WriteString(QStringLiteral("S"), QStringLiteral("k"), value));
    ASSERT_TRUE(WriteString(QStringLiteral("S"), QStringLiteral("next"), QString::number(value.size())));
    EXPECT_EQ(ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), value) << value.size();
  }
  EXPECT_EQ(platform::fromDisplay(folder), "/srv/data/\xE9t\xE9/");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(store + ".damaged")));
  EXPECT_TRUE(prompts.records.empty());

  // More than a settings file may hold: refused and said, the store as it was.
  const std::string before = readFile(store);
  EXPECT_FALSE(WriteString(QStringLiteral("S"), QStringLiteral("huge"), QString(17 << 20, QChar(u'h'))));
  EXPECT_EQ(prompts.texts(MessageKind::Error).size(), 1);
  EXPECT_EQ(readFile(store), before);
}

TEST_F(SettingsStore, DamagedStoreReadsAsDefaultsAndStaysUsable) {
  QDir().mkpath(QFile::decodeName(store.substr(0, store.rfind('/')).c_str()));
  {
    std::string junk(4096, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 131 + 7);
    FILE* f = std::fopen(store.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
  }
  EXPECT_EQ(ReadInteger(QStringLiteral("Roomvale"), QStringLiteral("Ndelete"), -1), -1);
  EXPECT_EQ(readListSection(QStringLiteral("Include"), {QStringLiteral("*.doc")}, false),
            QStringList{QStringLiteral("*.doc")});
  ASSERT_TRUE(WriteInteger(QStringLiteral("Roomvale"), QStringLiteral("Ndelete"), 3));
  EXPECT_EQ(ReadInteger(QStringLiteral("Roomvale"), QStringLiteral("Ndelete"), -1), 3);
  EXPECT_EQ(readFile(store + ".damaged").size(), 4096u);
  ::unlink((store + ".damaged").c_str());
}

}  // namespace
}  // namespace roomvale
