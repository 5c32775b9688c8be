// The Win32 platform layer on its own: replacing the output file, the
// directory search's identities and look-ups, and reading up to a broken
// pipe. Built into the unit tests of the Windows build only.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

// A fresh folder of its own under the system's temporary folder, made the
// current folder for the test, and removed with everything in it after.
class Win32Platform : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1];
    ASSERT_NE(::GetTempPathA(sizeof temp, temp), 0U);
    folder_ = std::string(temp) + "zanthor-unit-" + std::to_string(::GetCurrentProcessId()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr)) << ::GetLastError();
    char cwd[MAX_PATH + 1];
    ASSERT_NE(::GetCurrentDirectoryA(sizeof cwd, cwd), 0U);
    previous_ = cwd;
    ASSERT_TRUE(::SetCurrentDirectoryA(folder_.c_str()));
  }
  void TearDown() override {
    ::SetCurrentDirectoryA(previous_.c_str());
    Remove(folder_);
  }

  static void Remove(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          Remove(child);
        } else {
          ::DeleteFileA(child.c_str());
        }
      } while (::FindNextFileA(find, &data));
      ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
  }

  static void Write(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
  }

  static std::string Read(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
  }

  // The names in the current folder, in the search's order.
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    platform::DirSearch search;
    if (!search.Start("*.*")) return names;
    do {
      if (search.Name() != "." && search.Name() != "..") names.push_back(search.Name());
    } while (search.Next());
    return names;
  }

  static platform::FailureCode Replace(const std::string& path, const std::string& bytes) {
    platform::OutputFile out;
    if (platform::FailureCode code = out.Create(path)) return code;
    if (platform::FailureCode code = out.Write(bytes.data(), bytes.size())) return code;
    return out.Commit();
  }

  std::string folder_, previous_;
};

TEST_F(Win32Platform, OutputReplacesTheFileWholeAndLeavesNoTemporary) {
  EXPECT_EQ(Replace("database.js", "first"), 0U);
  EXPECT_EQ(Read("database.js"), "first");
  EXPECT_EQ(Replace("database.js", "second, longer"), 0U);
  EXPECT_EQ(Read("database.js"), "second, longer");
  EXPECT_EQ(Names(), std::vector<std::string>{"database.js"});
}

TEST_F(Win32Platform, OutputNotCommittedLeavesTheOldFile) {
  Write("database.js", "old");
  {
    platform::OutputFile out;
    ASSERT_EQ(out.Create("database.js"), 0U);
    ASSERT_EQ(out.Write("new", 3), 0U);
    // A failure ends the run here, before Commit.
  }
  EXPECT_EQ(Read("database.js"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"database.js"});
}

TEST_F(Win32Platform, OutputThatCannotBeWrittenIsRefusedWithAccessDenied) {
  Write("database.js", "read-only");
  ASSERT_TRUE(::SetFileAttributesA("database.js", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::CreateDirectoryA("sub", nullptr));
  ASSERT_TRUE(::CreateDirectoryA("sub\\database.js", nullptr));

  EXPECT_EQ(Replace("database.js", "new"), static_cast<platform::FailureCode>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Replace("sub\\database.js", "new"), static_cast<platform::FailureCode>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Read("database.js"), "read-only");
  EXPECT_EQ(Names(), (std::vector<std::string>{"database.js", "sub"}));
}

TEST_F(Win32Platform, OutputWithASecondNameIsRewrittenInPlace) {
  Write("database.js", "old");
  if (!::CreateHardLinkA("other.js", "database.js", nullptr)) GTEST_SKIP() << "no hard links here";
  EXPECT_EQ(Replace("database.js", "new"), 0U);
  EXPECT_EQ(Read("database.js"), "new");
  EXPECT_EQ(Read("other.js"), "new");
}

TEST_F(Win32Platform, NamesLongerThan259BytesAreRefused) {
  const std::string name(256, 'n');  // with four more bytes: 260
  platform::InputFile in;
  EXPECT_EQ(in.Open(name + ".htm"), static_cast<platform::FailureCode>(ERROR_PATH_NOT_FOUND));
  platform::OutputFile out;
  EXPECT_EQ(out.Create(name + "a.js"), static_cast<platform::FailureCode>(ERROR_PATH_NOT_FOUND));
  platform::DirSearch search;
  EXPECT_FALSE(search.Start(name.substr(0, 200) + "\\" + name.substr(0, 55) + "\\*.*"));
  EXPECT_FALSE(platform::IsFolderPath(name + "a\\.."));  // would be "." but for its length
  EXPECT_EQ(in.Open("missing.htm"), static_cast<platform::FailureCode>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Win32Platform, PlainNameIsListedAsStoredAndIsNoListedFolder) {
  ASSERT_TRUE(::CreateDirectoryA("Docs", nullptr));
  Write("Docs\\Page.HTM", "x");
  platform::DirSearch search;
  ASSERT_TRUE(search.Start("docs\\page.htm"));
  EXPECT_EQ(search.Name(), "Page.HTM");
  EXPECT_FALSE(search.IsFolder());
  EXPECT_FALSE(search.Next());

  ASSERT_TRUE(search.Start("DOCS"));
  EXPECT_EQ(search.Name(), "Docs");
  EXPECT_TRUE(search.IsFolder());
  platform::FolderId named, listed;
  EXPECT_TRUE(search.EntryId(named));
  EXPECT_FALSE(search.ListedFolderId(listed));

  // The folder listed by a wild card is the one its entry names.
  ASSERT_TRUE(search.Start("docs\\*.*"));
  ASSERT_TRUE(search.ListedFolderId(listed));
  EXPECT_EQ(listed, named);
}

TEST_F(Win32Platform, TrailingSeparatorListsNothingButIsAFolder) {
  ASSERT_TRUE(::CreateDirectoryA("docs", nullptr));
  Write("docs\\a.htm", "x");
  platform::DirSearch search;
  EXPECT_FALSE(search.Start("docs\\"));
  EXPECT_TRUE(platform::IsFolderPath("docs\\"));
  EXPECT_TRUE(platform::IsFolderPath("docs/"));
  EXPECT_TRUE(platform::IsFolderPath("."));
  EXPECT_FALSE(platform::IsFolderPath("docs\\a.htm"));
  EXPECT_FALSE(platform::IsFolderPath("missing\\"));
}

// A pipe whose writer has gone reads to its end, not to a failure.
TEST_F(Win32Platform, BrokenPipeIsTheEndOfTheInput) {
  const std::string name = "\\\\.\\pipe\\zanthor-unit-" + std::to_string(::GetCurrentProcessId());
  const HANDLE server = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                           4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  platform::InputFile in;
  ASSERT_EQ(in.Open(name), 0U);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(server, "page", 4, &written, nullptr));
  ::CloseHandle(server);

  std::string bytes;
  char buffer[16];
  std::size_t got = 0;
  for (int reads = 0; reads < 10; ++reads) {
    ASSERT_EQ(in.Read(buffer, sizeof buffer, got), 0U);
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  EXPECT_EQ(got, 0U);
  EXPECT_EQ(bytes, "page");
  EXPECT_EQ(in.Close(), 0U);
}

TEST(Win32Rules, SeparatorsAndUpperCasing) {
  const rtl::SystemRules& rules = platform::NativeRules();
  EXPECT_EQ(rules.directorySeparators, "\\/:");
  EXPECT_EQ(rules.pathSeparator, '\\');
  EXPECT_FALSE(rules.backslashInNames);
  ASSERT_NE(rules.upperCase, nullptr);
  char text[] = "$database$ and $RecordCount$";
  rules.upperCase(text, sizeof text - 1);
  EXPECT_STREQ(text, "$DATABASE$ AND $RECORDCOUNT$");
}

}  // namespace
