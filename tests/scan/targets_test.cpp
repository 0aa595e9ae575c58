// Drive-list entries, registered patterns, typed extensions and the statistics type lists.
#include <gtest/gtest.h>

#include <cstdio>

#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "scan/selext.h"
#include "scan/statlist.h"
#include "scan/targets.h"

namespace roomvale {
namespace {

using platform::Volume;
using platform::VolumeKind;

Volume vol(const std::string& mountPoint, VolumeKind kind, const std::string& label = {}) {
  Volume v;
  v.mountPoint = mountPoint;
  v.kind = kind;
  v.label = label;
  v.fsType = "ext4";
  v.source = "/dev/x";
  return v;
}

std::vector<Volume> machine() {
  return {vol("/", VolumeKind::Fixed, "root"), vol("/data", VolumeKind::Fixed, "data"),
          vol("/media/stick", VolumeKind::Floppy), vol("/mnt/share", VolumeKind::Network),
          vol("/tmp", VolumeKind::Ram)};
}

std::vector<std::string> paths(const std::vector<DriveListEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.path);
  return out;
}

std::vector<std::string> ticked(const std::vector<DriveListEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries)
    if (e.ticked) out.push_back(e.path);
  return out;
}

TEST(DriveList, KeepsTheAllowedKindsInOrderThenTheAddedFoldersUnticked) {
  const auto entries =
      driveListEntries(machine(), kFilesByDateDriveKinds, "/data/work", {"/home/u/projects/", "", "/srv/x/"});
  EXPECT_EQ(paths(entries),
            (std::vector<std::string>{"/", "/data", "/media/stick", "/mnt/share", "/home/u/projects/", "/srv/x/"}));
  EXPECT_EQ(entries[0].text, QString::fromStdString(platform::volumeEntryText(machine()[0])));
  EXPECT_TRUE(entries[4].addedFolder);
  EXPECT_EQ(entries[4].text, "/home/u/projects/");
  EXPECT_FALSE(entries[4].ticked);
  EXPECT_FALSE(entries[0].addedFolder);

  const auto wizard = driveListEntries(machine(), kWizardDriveKinds, "/", {});
  EXPECT_EQ(paths(wizard), (std::vector<std::string>{"/", "/data", "/mnt/share", "/tmp"}));
}

TEST(DriveList, TicksTheVolumeOfTheCurrentFolderElseTheRootVolume) {
  // Only the current drive is ticked, not the system one as well.
  EXPECT_EQ(ticked(driveListEntries(machine(), kFinderDriveKinds, "/data/work", {})),
            std::vector<std::string>{"/data"});
  // A folder beside a mount point is not inside it.
  EXPECT_EQ(ticked(driveListEntries(machine(), kFinderDriveKinds, "/database", {})), std::vector<std::string>{"/"});
  // The current folder lies on a kind this window does not list: the root volume stands in.
  EXPECT_EQ(ticked(driveListEntries(machine(), kFinderDriveKinds, "/tmp/build", {})), std::vector<std::string>{"/"});
  EXPECT_EQ(ticked(driveListEntries(machine(), kWizardDriveKinds, "/tmp/build", {})), std::vector<std::string>{"/tmp"});
  // Neither is listed: nothing is ticked.
  EXPECT_TRUE(ticked(driveListEntries(machine(), kDriveNetwork, "/data", {})).empty());
}

TEST(RegisteredPatterns, KeepExtensionsOfAtMostFourCharacters) {
  const QStringList exts{".a", ".txt", ".html", ".tar.gz", ".", "noDot"};
  EXPECT_EQ(registeredPatterns(exts, false), (QStringList{"*.a", "*.txt", "*.html"}));
  EXPECT_EQ(registeredPatterns(exts, true), (QStringList{"*.*", "*.a", "*.txt", "*.html"}));
}

TEST(TypeLines, PatternExtensionAndLineParts) {
  EXPECT_EQ(patternExtension("*.tmp"), ".tmp");
  EXPECT_EQ(patternExtension("*.tar.gz"), ".tar.gz");
  EXPECT_EQ(patternExtension("abc*"), "");
  EXPECT_EQ(patternExtension("~*.bak"), ".bak");
  EXPECT_EQ(typeLine("*.txt"), "*.txt\t" + fileTypeDescription(".txt"));
  EXPECT_EQ(typeLine("abc*"), "abc*\t");
  EXPECT_EQ(linePattern("*.doc\tWord document"), "*.doc");
  EXPECT_EQ(linePattern("*.doc"), "*.doc");
}

TEST(TypedExtension, IsNormalisedToAPattern) {
  for (const char* typed : {"tmp", ".tmp", "*.tmp", "  tmp "})
    EXPECT_EQ(normaliseTypedPattern(typed), "*.tmp") << typed;
  for (const char* typed : {"", "*.*", ".*", "*", "   "}) EXPECT_FALSE(normaliseTypedPattern(typed)) << typed;
  EXPECT_EQ(normaliseTypedPattern("abc*"), "abc*");
  EXPECT_EQ(normaliseTypedPattern("a.b"), "a.b");
  EXPECT_EQ(normaliseTypedPattern(".t*"), ".t*");
}

class StatLists : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(iniFileForKey(getRegistryKey()).c_str()); }
};

TEST_F(StatLists, ANeverSavedListReadsAsTheDefaults) {
  const QStringList lines = ReadStatFilesFromDisk(kExcludeSection);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], typeLine("*.doc"));
  EXPECT_EQ(lines[1], typeLine("*.exe"));
  EXPECT_EQ(lines[2], typeLine("*.dll"));
}

TEST_F(StatLists, StoresPatternsOnlyAndAnEmptiedListStaysEmpty) {
  ASSERT_TRUE(WriteStatFilesToDisk({"*.log\tLog file", "*.bak"}, kIncludeSection));
  EXPECT_EQ(ReadString(kIncludeSection, "Number", ""), "2");
  EXPECT_EQ(ReadString(kIncludeSection, "File1", ""), "*.log");
  EXPECT_EQ(ReadString(kIncludeSection, "File2", ""), "*.bak");
  EXPECT_EQ(ReadStatFilesFromDisk(kIncludeSection), (QStringList{typeLine("*.log"), typeLine("*.bak")}));
  // The other list is separate.
  EXPECT_EQ(ReadStatFilesFromDisk(kExcludeSection).size(), 3);

  ASSERT_TRUE(WriteStatFilesToDisk({}, kIncludeSection));
  EXPECT_EQ(ReadString(kIncludeSection, "Number", ""), "0");
  EXPECT_TRUE(ReadStatFilesFromDisk(kIncludeSection).isEmpty());
}

TEST_F(StatLists, EmptyEntriesAreSkipped) {
  WriteInteger(kIncludeSection, "Number", 3);
  WriteString(kIncludeSection, "File1", "*.a");
  WriteString(kIncludeSection, "File3", "*.c");
  EXPECT_EQ(ReadStatFilesFromDisk(kIncludeSection), (QStringList{typeLine("*.a"), typeLine("*.c")}));
}

}  // namespace
}  // namespace roomvale
