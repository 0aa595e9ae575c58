#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStringList>
#include <random>

#include "common/testing.h"
#include "foundation/inifile.h"
#include "platform/paths.h"

namespace roomvale {
namespace {

using testing::readFile;
using testing::TempTree;

QStringList hostileTexts() {
  QString big;
  for (int i = 0; i < 4096; ++i) big += QChar(u"a=[;#\\ \t\"é,"[i % 11]);
  return {
      QStringLiteral("a,b,c"),
      QStringLiteral("\"quoted\" and 'single'"),
      QStringLiteral("back\\slash\\"),
      QStringLiteral("\\"),
      QStringLiteral("\\x41 is not A"),
      QStringLiteral("a=b=c"),
      QStringLiteral("[section]"),
      QStringLiteral("]"),
      QStringLiteral(";comment"),
      QStringLiteral("#hash"),
      QStringLiteral("@Variant(\\0\\0)"),
      QStringLiteral("  lead and trail  "),
      QStringLiteral(" "),
      QStringLiteral("\ttab\t"),
      QStringLiteral("line1\r\nline2\nline3\r"),
      QStringLiteral("Ünïcødé ✓ 日本語 🎉"),
      QString(QChar(0)) + QStringLiteral("nul and \x01\x1f\x7f"),
      QString(),
      big,
      // bytes of a path that are not UTF-8 ("/srv/data/\xE9t\xE9/") as the path routines hold them
      platform::toDisplay("/srv/data/\xE9t\xE9/"),
      QString(QChar(0xFEFF)) + QStringLiteral("after a byte order mark"),
      QStringLiteral("inner ") + QChar(0xFEFF) + QChar(0xD800),
      QString(QChar(0xDC00)) + QChar(0xD800) + QStringLiteral("\\uFEFF"),
      QString(1'048'577, QChar(u'v')),
  };
}

TEST(IniEscaping, HostileTextsRoundTripAsValuesKeysAndSections) {
  const QStringList texts = hostileTexts();
  IniDocument doc;
  for (int i = 0; i < texts.size(); ++i) {
    doc.set(QStringLiteral("Values"), QStringLiteral("v%1").arg(i), texts[i]);
    if (!texts[i].isEmpty()) {
      doc.set(QStringLiteral("Keys"), texts[i], QString::number(i));
      doc.set(texts[i], QStringLiteral("k"), QString::number(i));
    }
  }
  const IniDocument back = IniDocument::parse(doc.serialize());
  EXPECT_FALSE(back.damaged());
  for (int i = 0; i < texts.size(); ++i) {
    const QString* v = back.find(QStringLiteral("Values"), QStringLiteral("v%1").arg(i));
    ASSERT_NE(v, nullptr) << i;
    EXPECT_EQ(*v, texts[i]) << i;
    if (texts[i].isEmpty()) continue;
    const QString* k = back.find(QStringLiteral("Keys"), texts[i]);
    ASSERT_NE(k, nullptr) << i;
    EXPECT_EQ(*k, QString::number(i));
    const QString* s = back.find(texts[i], QStringLiteral("k"));
    ASSERT_NE(s, nullptr) << i;
    EXPECT_EQ(*s, QString::number(i));
  }
  // Every written line is one entry or one header: nothing leaks into a line of its own.
  const std::string text = doc.serialize();
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find('\t'), std::string::npos);
}

TEST(IniEscaping, EscapesOnlyWhatNeedsIt) {
  EXPECT_EQ(iniEscape(QStringLiteral("C:/Temp x"), false), QStringLiteral("C:/Temp x"));
  EXPECT_EQ(iniEscape(QStringLiteral(" a b "), false), QStringLiteral("\\x20a b\\x20"));
  EXPECT_EQ(iniEscape(QStringLiteral("a=b"), false), QStringLiteral("a=b"));
  EXPECT_EQ(iniEscape(QStringLiteral("a=b"), true), QStringLiteral("a\\x3Db"));
  EXPECT_EQ(iniEscape(QStringLiteral("x\\y\n"), false), QStringLiteral("x\\\\y\\n"));
  // Unknown escapes in a hand-written file stay as written.
  EXPECT_EQ(iniUnescape(u"C:\\Temp\\q\\x4"), QStringLiteral("C:\\Temp\\q\\x4"));
  EXPECT_EQ(iniUnescape(u"end\\"), QStringLiteral("end\\"));
}

TEST(IniParsing, ReadsHandWrittenFiles) {
  const std::string text =
      "\xEF\xBB\xBF"
      "top=level\r\n"
      "; a comment\r\n"
      "  # another\n"
      "[ Roomvale ]\n"
      "  Ndelete = 12  \n"
      "empty=\n"
      "\n"
      "[ZipFile]\n"
      "Path=/home/u/zips/\n"
      "[roomvale]\n"
      "NDELETE=13\n";
  const IniDocument doc = IniDocument::parse(text);
  EXPECT_FALSE(doc.damaged());
  ASSERT_NE(doc.find(QString(), QStringLiteral("top")), nullptr);
  EXPECT_EQ(*doc.find(QString(), QStringLiteral("top")), QStringLiteral("level"));
  // Names match without regard to case; a repeated section merges and the later value wins.
  ASSERT_NE(doc.find(QStringLiteral("ROOMVALE"), QStringLiteral("ndelete")), nullptr);
  EXPECT_EQ(*doc.find(QStringLiteral("Roomvale"), QStringLiteral("Ndelete")), QStringLiteral("13"));
  EXPECT_EQ(*doc.find(QStringLiteral("Roomvale"), QStringLiteral("empty")), QString());
  EXPECT_EQ(*doc.find(QStringLiteral("zipfile"), QStringLiteral("path")), QStringLiteral("/home/u/zips/"));
  EXPECT_EQ(doc.sections().size(), 3u);
  // The first spelling is kept when written back, and entries without a section come first.
  const std::string out = doc.serialize();
  EXPECT_EQ(out.rfind("top=level\n", 0), 0u);
  EXPECT_NE(out.find("[Roomvale]\nNdelete=13\n"), std::string::npos);
}

TEST(IniParsing, DamagedContentIsSkippedLineByLine) {
  std::string text = "[Good]\nkey=one\n";
  text += "\xFF\xFE garbage=\xC3\x28\n";                // invalid UTF-8
  text += std::string("bin\0ary=x\n", 10);              // raw control character
  text += "no equals sign here\n";                      // not an entry
  text += "[unclosed\n";                                // not a header
  text += "long=" + std::string(2u << 20, 'h') + "\n";  // long, but a line like any other
  text += "after=two\n";
  text += "trunc=partial val";  // no final line end
  const IniDocument doc = IniDocument::parse(text);
  EXPECT_TRUE(doc.damaged());
  EXPECT_EQ(*doc.find(QStringLiteral("Good"), QStringLiteral("key")), QStringLiteral("one"));
  EXPECT_EQ(*doc.find(QStringLiteral("Good"), QStringLiteral("after")), QStringLiteral("two"));
  EXPECT_EQ(*doc.find(QStringLiteral("Good"), QStringLiteral("trunc")), QStringLiteral("partial val"));
  EXPECT_EQ(doc.find(QStringLiteral("Good"), QStringLiteral("long"))->size(), 2 << 20);
  EXPECT_EQ(doc.section(QStringLiteral("unclosed")), nullptr);
}

TEST(IniParsing, RandomBinaryNeverCrashes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    std::string junk(1 + rng() % 5000, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    if (round % 2) {
      for (std::size_t i = 0; i < junk.size(); i += 37) junk[i] = "\n=[]\\"[rng() % 5];
    }
    const IniDocument doc = IniDocument::parse(junk);
    // Whatever was recovered must survive its own round trip.
    const std::string again = doc.serialize();
    EXPECT_EQ(IniDocument::parse(again).serialize(), again);
  }
}

class IniFiles : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(IniFiles, UpdateCreatesFoldersAndReplacesTheFile) {
  const std::string path = tree / "a/b/c/store.ini";
  ASSERT_TRUE(updateIniFile(path, [](IniDocument& d) {
    d.set(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    return true;
  }));
  EXPECT_EQ(readFile(path), "[S]\nk=v\n");
  EXPECT_EQ(*readIniFile(path).find(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("v"));
  // A change that declines writes nothing.
  ASSERT_TRUE(updateIniFile(path, [](IniDocument& d) {
    d.set(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("other"));
    return false;
  }));
  EXPECT_EQ(readFile(path), "[S]\nk=v\n");
}

TEST_F(IniFiles, MissingFoldersAndOddFilesReadAsEmpty) {
  EXPECT_TRUE(readIniFile(tree / "none/at/all.ini").sections().empty());
  EXPECT_TRUE(readIniFile(tree.dir("folder.ini")).sections().empty());
  EXPECT_TRUE(readIniFile("").sections().empty());
}

TEST_F(IniFiles, RewritingADamagedFileKeepsTheOriginalBesideIt) {
  const std::string original = "[Keep]\nmine=yes\n\x01\x02\x03 binary \xFF\xFF\n[Other]\nx=1\n";
  const std::string path = tree.file("damaged.ini", original);
  const IniDocument before = readIniFile(path);
  EXPECT_TRUE(before.damaged());
  EXPECT_EQ(*before.find(QStringLiteral("Keep"), QStringLiteral("mine")), QStringLiteral("yes"));

  ASSERT_TRUE(updateIniFile(path, [](IniDocument& d) {
    d.set(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    return true;
  }));
  const IniDocument after = readIniFile(path);
  EXPECT_FALSE(after.damaged());
  EXPECT_EQ(*after.find(QStringLiteral("Keep"), QStringLiteral("mine")), QStringLiteral("yes"));
  EXPECT_EQ(*after.find(QStringLiteral("Other"), QStringLiteral("x")), QStringLiteral("1"));
  EXPECT_EQ(*after.find(QStringLiteral("New"), QStringLiteral("k")), QStringLiteral("v"));
  EXPECT_EQ(readFile(path + ".damaged"), original);
}

TEST_F(IniFiles, WriteIntoUnwritableFolderFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  const std::string dir = tree.dir("locked");
  ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
  EXPECT_FALSE(updateIniFile(dir + "/s.ini", [](IniDocument& d) {
    d.set(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    return true;
  }));
}

TEST_F(IniFiles, TwoProcessesWritingAtOnceLoseNothing) {
  const std::string path = tree / "shared.ini";
  constexpr int kKeys = 60;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      bool ok = true;
      for (int i = 0; i < kKeys; ++i) {
        ok =
            updateIniFile(path,
                          [&](IniDocument& d) {
                            d.set(QStringLiteral("Shared"), QStringLiteral("p%1-%2").arg(c).arg(i), QString::number(i));
                            d.set(QStringLiteral("Shared"), QStringLiteral("last"), QString::number(c));
                            return true;
                          }) &&
            ok;
      }
      ::_exit(ok ? 0 : 1);
    }
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const IniDocument doc = readIniFile(path);
  EXPECT_FALSE(doc.damaged());
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kKeys; ++i)
      EXPECT_NE(doc.find(QStringLiteral("Shared"), QStringLiteral("p%1-%2").arg(c).arg(i)), nullptr) << c << " " << i;
  ASSERT_NE(doc.find(QStringLiteral("Shared"), QStringLiteral("last")), nullptr);
}

}  // namespace
}  // namespace roomvale
