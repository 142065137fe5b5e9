// Settings files, side by side: the same corpus read and written through
// ReadIniValue and WritePrivateProfileStringA here and under Wine, where
// Windows' own profile functions answer. Both must read back the same
// values after every step. Our own implementation also keeps every line it
// does not change byte for byte, which is checked on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/winapi.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

#ifndef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Expected values by key: every key queried lives in one section.
using Values = std::map<std::string, std::string>;

const std::vector<std::pair<std::string, std::string>> kQueries = {
    {"flowers", "yellow"},    {"flowers", "red"},     {"flowers", "rose"},
    {"flowers", "white"},     {"flowers", "newkey"},  {"applic", "appdisplay"},
    {"applic", "appcurrent"}, {"applic", "appalert"}, {"extra", "k"}};

struct Case {
  std::string name;
  std::string content;
  Values initial;
  bool exists = true;  // false: no file at all
};

std::string Junk() {
  std::string s;
  std::uint32_t x = 12345;
  for (int i = 0; i < 400; ++i) {
    x = x * 1103515245u + 12345u;
    char c = static_cast<char>((x >> 16) & 0xFF);
    if (c == '\0' || c == '\n' || c == '\r' || c == '[') c = '#';
    s.push_back(c);
  }
  s[0] = 'Q';
  return s;
}

std::vector<Case> Corpus() {
  const Values counts = {{"yellow", "5"}, {"red", "4"}, {"rose", "3"}, {"white", "2"}};
  Values all = counts;
  all.insert({{"appdisplay", "1"}, {"appcurrent", "0"}, {"appalert", "10"}});
  return {
      {"normal",
       "[flowers]\r\nyellow=5\r\nred=4\r\nrose=3\r\nwhite=2\r\n[applic]\r\nappdisplay=1\r\n"
       "appcurrent=0\r\nappalert=10\r\n",
       all},
      {"spaces around the equals sign",
       "[flowers]\nyellow = 5 \n  red=  4\nrose   =3\n white =  2   \n", counts},
      {"names in other cases",
       "[FLOWERS]\nYellow=6\nRED=7\n[Applic]\nAppDisplay=1\n",
       {{"yellow", "6"}, {"red", "7"}, {"appdisplay", "1"}}},
      {"duplicate sections and keys",
       "[flowers]\nyellow=1\nyellow=2\n[applic]\nappdisplay=1\n[flowers]\nred=3\nyellow=4\n",
       {{"yellow", "1"}, {"appdisplay", "1"}}},
      {"no final line end", "[flowers]\nyellow=5\nred=4", {{"yellow", "5"}, {"red", "4"}}},
      {"CRLF and LF mixed",
       "[flowers]\r\nyellow=5\nred=4\r\n[applic]\nappalert=3\r\n",
       {{"yellow", "5"}, {"red", "4"}, {"appalert", "3"}}},
      {"empty values", "[flowers]\nyellow=\nred= \nrose\nwhite=2\n[applic]\n", {{"white", "2"}}},
      {"a value of 300 characters and quotes",
       "[flowers]\nyellow=" + std::string(300, 'x') + "\nred=\"4\"\nrose='a b'\n",
       {{"yellow", std::string(254, 'x')}, {"red", "4"}, {"rose", "a b"}}},
      {"keys before any section", "yellow=9\nred=8\n[flowers]\nred=1\n", {{"red", "1"}}},
      {"binary junk",
       "[flowers]\nyellow=5\n" + Junk() + "\nred=4\n[applic]\nappdisplay=1\n",
       {{"yellow", "5"}, {"red", "4"}, {"appdisplay", "1"}}},
      {"an empty file", "", {}},
      {"no file", "", {}, false},
  };
}

void ExpectValues(const std::string& file, const Values& expected, const std::string& when) {
  for (const auto& [section, key] : kQueries) {
    std::string value = "(untouched)";
    Module1::ReadIniValue(section, key, value, file);
    const auto it = expected.find(key);
    EXPECT_EQ(value, it == expected.end() ? "" : it->second)
        << when << ": [" << section << "] " << key;
  }
}

TEST(SettingsFile, CorpusReadsAndWritesAlike) {
  const std::string dir = testutil::MakeTempDir("corpus");
  int n = 0;
  for (const Case& c : Corpus()) {
    SCOPED_TRACE(c.name);
    const std::string file = testutil::Join(dir, "case" + std::to_string(++n) + ".ini");
    if (c.exists) {
      ASSERT_TRUE(testutil::WriteText(file, c.content));
    }
    Values expected = c.initial;
    ExpectValues(file, expected, "as found");

    const struct {
      const char *section, *key, *value, *readBack;
    } writes[] = {
        {"flowers", "yellow", "7", "7"},              // an existing key (or a new one)
        {"flowers", "newkey", "  spaced", "spaced"},  // leading blanks are not kept
        {"extra", "k", "v", "v"},                     // a new section
        {"applic", "appdisplay", "0", "0"},
        {"FLOWERS", "RED", "12", "12"},  // names in another case
    };
    for (const auto& w : writes) {
      EXPECT_NE(win::WritePrivateProfileStringA(w.section, w.key, w.value, file.c_str()), 0);
      std::string key = w.key;
      for (auto& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      expected[key] = w.readBack;
      ExpectValues(file, expected, std::string("after writing ") + w.key);
    }
  }
}

TEST(SettingsFile, BufferAndDefaults) {
  const std::string dir = testutil::MakeTempDir("buffer");
  const std::string file = testutil::Join(dir, "b.ini");
  ASSERT_TRUE(testutil::WriteText(file, "[s]\nk=123456\n"));
  char buf[16];
  EXPECT_EQ(win::GetPrivateProfileStringA("s", "k", "", buf, 5, file.c_str()), 4u);
  EXPECT_STREQ(buf, "1234");
  EXPECT_EQ(win::GetPrivateProfileStringA("s", "missing", "dflt  ", buf, 16, file.c_str()), 4u);
  EXPECT_STREQ(buf, "dflt");  // trailing blanks of the default are dropped
  EXPECT_EQ(win::GetPrivateProfileStringA("s", "k", "", buf, 16, file.c_str()), 6u);
  EXPECT_STREQ(buf, "123456");
  // Removing a key and a section.
  EXPECT_NE(win::WritePrivateProfileStringA("s", "k", nullptr, file.c_str()), 0);
  std::string v;
  Module1::ReadIniValue("s", "k", v, file);
  EXPECT_EQ(v, "");
  EXPECT_NE(win::WritePrivateProfileStringA("t", "x", "1", file.c_str()), 0);
  EXPECT_NE(win::WritePrivateProfileStringA("t", nullptr, nullptr, file.c_str()), 0);
  Module1::ReadIniValue("t", "x", v, file);
  EXPECT_EQ(v, "");
}

TEST(SettingsFile, AWriteIntoAMissingFolderFailsCleanly) {
  const std::string dir = testutil::MakeTempDir("nofolder");
  const std::string file = testutil::Join(testutil::Join(dir, "absent"), "x.ini");
  EXPECT_EQ(win::WritePrivateProfileStringA("s", "k", "1", file.c_str()), 0);
  std::string v = "?";
  Module1::ReadIniValue("s", "k", v, file);
  EXPECT_EQ(v, "");
}

// The calls that find the settings file's place, as Windows answers them.
// (The user's copy of a protected file, made once and kept, is the
// end-to-end installation's, on both systems.)
TEST(SettingsFolders, FileCalls) {
  const std::string dir = testutil::MakeTempDir("files");
  const std::string a = testutil::Join(dir, "a.ini");
  const win::DWORD share = win::FILE_SHARE_READ | win::FILE_SHARE_WRITE | win::FILE_SHARE_DELETE;
  const auto open = [&](const std::string& f, win::DWORD disposition, win::DWORD flags) {
    return win::CreateFileA(f.c_str(), win::GENERIC_WRITE, share, nullptr, disposition,
                            win::FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  };
  const win::HANDLE bad = win::INVALID_HANDLE_VALUE();
  // A missing file does not open; made anew it is gone again once closed.
  EXPECT_EQ(open(a, win::OPEN_EXISTING, 0), bad);
  win::HANDLE h = open(a, win::CREATE_NEW, win::FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(h, bad);
  EXPECT_TRUE(testutil::FileExists(a));
  EXPECT_EQ(open(a, win::CREATE_NEW, 0), bad);
  EXPECT_TRUE(win::CloseHandle(h));
  EXPECT_FALSE(testutil::FileExists(a));

  // The user's settings folder (here: the one XDG names), made when missing.
#ifndef _WIN32
  const std::string config = testutil::Join(dir, "config");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
#endif
  char path[win::MAX_PATH] = {};
  EXPECT_EQ(
      win::SHGetFolderPathA(nullptr, win::CSIDL_APPDATA | win::CSIDL_FLAG_CREATE, nullptr, 0, path),
      win::S_OK);
  EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
#ifndef _WIN32
  EXPECT_EQ(std::string(path), config);
  ::unsetenv("XDG_CONFIG_HOME");
#endif
}

// ---- our own implementation: every other line kept as it was ----------------------

#ifndef _WIN32

TEST(SettingsFileLines, OnlyTheChangedLineChanges) {
  const std::string dir = testutil::MakeTempDir("lines");
  const std::string file = testutil::Join(dir, "o.ini");
  const std::string before =
      "; the garden\r\n"
      "[flowers]\r\n"
      "  yellow =  5   \r\n"
      "red=4\r\n"
      "\r\n"
      "[applic]\r\n"
      "appdisplay = 1\r\n";
  ASSERT_TRUE(testutil::WriteText(file, before));
  ASSERT_TRUE(win::WritePrivateProfileStringA("flowers", "YELLOW", "7", file.c_str()));
  EXPECT_EQ(testutil::ReadText(file),
            "; the garden\r\n[flowers]\r\nyellow=7\r\nred=4\r\n\r\n[applic]\r\nappdisplay = 1\r\n");
  // A new key goes after the section's last line, before the blank one.
  ASSERT_TRUE(win::WritePrivateProfileStringA("flowers", "rose", "3", file.c_str()));
  EXPECT_EQ(testutil::ReadText(file),
            "; the garden\r\n[flowers]\r\nyellow=7\r\nred=4\r\nrose=3\r\n\r\n[applic]\r\n"
            "appdisplay = 1\r\n");
  // The same value again: the file is not rewritten at all.
  const auto stamp = std::filesystem::last_write_time(file);
  const std::string same = testutil::ReadText(file);
  ASSERT_TRUE(win::WritePrivateProfileStringA("applic", "appdisplay", "1", file.c_str()));
  EXPECT_EQ(testutil::ReadText(file), same);
  EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
  // A new section at the end, in the file's own line ends.
  ASSERT_TRUE(win::WritePrivateProfileStringA("extra", "k", "v", file.c_str()));
  EXPECT_EQ(testutil::ReadText(file), same + "[extra]\r\nk=v\r\n");
  // Nothing else is left in the folder: the new file replaced the old one.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(SettingsFileLines, ALineBreakInAValueIsRefused) {
  // It would add lines (and keys) of its own to the file.
  const std::string dir = testutil::MakeTempDir("inject");
  const std::string file = testutil::Join(dir, "i.ini");
  ASSERT_TRUE(testutil::WriteText(file, "[flowers]\nyellow=5\n"));
  EXPECT_EQ(win::WritePrivateProfileStringA("flowers", "yellow", "1\n[applic]\nappdisplay=1",
                                            file.c_str()),
            0);
  EXPECT_EQ(testutil::ReadText(file), "[flowers]\nyellow=5\n");
}

// Writing goes through a new file renamed over the old one, which would
// replace even a file the user may not write to; and a folder that refuses
// new files (an installation's) still lets a writable file be written in
// place. Run as a user without root's rights (root drops to "nobody" in a
// child for it).
TEST(SettingsFileLines, WritesFollowTheFilesRightsNotTheFolders) {
  const std::string dir = testutil::MakeTempDir("readonly");
  const std::string file = testutil::Join(dir, "r.ini");
  ASSERT_TRUE(testutil::WriteText(file, "[s]\nk=1\n"));
  // A folder the user may write to, holding a file they may not.
  ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  // A folder they may not add to, holding a file they may write.
  const std::string locked = testutil::Join(dir, "locked");
  const std::string own = testutil::Join(locked, "w.ini");
  ASSERT_TRUE(std::filesystem::create_directory(locked));
  ASSERT_TRUE(testutil::WriteText(own, "[s]\nk=1\nlong=a value longer than the new file\n"));
  ASSERT_EQ(::chmod(own.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
    const bool refused = win::WritePrivateProfileStringA("s", "k", "2", file.c_str()) == 0;
    const bool inPlace = win::WritePrivateProfileStringA("s", "long", nullptr, own.c_str()) != 0 &&
                         win::WritePrivateProfileStringA("s", "k", "2", own.c_str()) != 0;
    ::_exit((refused ? 0 : 1) | (inPlace ? 0 : 2));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "written although read-only";
  EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "a writable file in a locked folder was refused";
  EXPECT_EQ(testutil::ReadText(file), "[s]\nk=1\n");
  EXPECT_EQ(testutil::ReadText(own), "[s]\nk=2\n");
  ::chmod(file.c_str(), 0644);
  ::chmod(locked.c_str(), 0755);
}

#endif

}  // namespace
