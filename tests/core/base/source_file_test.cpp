#include "core/base/source_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace coderain {
namespace {

using namespace std::string_literals;

std::vector<std::string> ReadAll(SourceFile& f, int max = 100) {
  std::vector<std::string> lines;
  while (!f.AtEnd() && max-- > 0) lines.emplace_back(f.ReadLine());
  return lines;
}

TEST(SourceFile, LineEndsOfEveryKind) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  ASSERT_TRUE(f.Open(dir.Write("a.txt", "one\r\ntwo\nthree\rfour\r\n\r\nlast").string(), &error)) << error;
  EXPECT_EQ(ReadAll(f), (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(f.ReadLine(), "");  // past the end: an empty line, never a failure
  f.Rewind();
  EXPECT_FALSE(f.AtEnd());
  EXPECT_EQ(f.ReadLine(), "one");
}

TEST(SourceFile, EmptyFilesAndFilesOfLineEnds) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  ASSERT_TRUE(f.Open(dir.Write("e.txt", "").string(), &error));
  EXPECT_TRUE(f.AtEnd());
  f.Rewind();
  EXPECT_EQ(f.ReadLine(), "");
  ASSERT_TRUE(f.Open(dir.Write("n.txt", "\r\n\r\n\r\n").string(), &error));
  EXPECT_EQ(ReadAll(f), (std::vector<std::string>{"", "", ""}));
}

TEST(SourceFile, CharactersTabsAndBytes) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  // Tabs to columns of eight; UTF-8 decoded to Latin-1 where it fits;
  // invalid bytes and NUL kept as single characters.
  ASSERT_TRUE(
      f.Open(dir.Write("c.txt", "a\tb\r\n\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\r\n\xFF\xC3(\x00z\r\n"s).string(), &error));
  EXPECT_EQ(f.ReadLine(), "a       b");
  EXPECT_EQ(f.ReadLine(), "\xE9t\xE9 ?");
  EXPECT_EQ(f.ReadLine(), std::string("\xFF\xC3(\0z", 5));
}

TEST(SourceFile, LongLinesAreCutAndReadInBoundedPieces) {
  test::TempDir dir;
  std::string big(200000, 'x');
  SourceFile f;
  std::string error;
  ASSERT_TRUE(f.Open(dir.Write("l.txt", big + "\r\nnext\r\n").string(), &error));
  std::string_view first = f.ReadLine();
  EXPECT_EQ(first.size(), SourceFile::kMaxLineChars);
  // 200,000 bytes take four calls of at most 64 KiB each.
  int pieces = 1;
  std::string line;
  while ((line = std::string(f.ReadLine())) != "next") ++pieces;
  EXPECT_EQ(pieces, 4);
}

TEST(SourceFile, LineOfExactlyTheScanBudgetIsOneLine) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  const std::string exact(SourceFile::kMaxScanBytes, 'x');
  ASSERT_TRUE(f.Open(dir.Write("s.txt", exact + "\r\n" + exact + exact + "\nnext\r").string(), &error));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'x'));
  // Two budgets' worth: two pieces, and no empty line after either line.
  EXPECT_EQ(f.ReadLine().size(), SourceFile::kMaxLineChars);
  EXPECT_EQ(f.ReadLine().size(), SourceFile::kMaxLineChars);
  EXPECT_EQ(f.ReadLine(), "next");
  EXPECT_TRUE(f.AtEnd());
}

TEST(SourceFile, CharacterCutByTheEndOfAReadIsDecodedWhole) {
  test::TempDir dir;
  // The file is read 16 KiB at a time; each case puts the start of a
  // character of four bytes 1, 2 or 3 bytes before the end of the first
  // read, and one of two bytes after it.
  for (std::size_t cut = 1; cut <= 3; ++cut) {
    const std::string before = std::string(16 * 1024 - cut - 1, 'a') + "\n";
    SourceFile f;
    std::string error;
    ASSERT_TRUE(f.Open(dir.Write("u.txt", before + "\xF0\x9F\x98\x80\xC3\xA9z\r\n").string(), &error));
    EXPECT_EQ(f.ReadLine().size(), SourceFile::kMaxLineChars);
    EXPECT_EQ(f.ReadLine(), "?\xE9z") << "cut " << cut;
    EXPECT_TRUE(f.AtEnd());
  }
}

TEST(SourceFile, RefusesDirectoriesAndMissingFilesWithAReason) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  EXPECT_FALSE(f.Open((dir.Path() / "missing.txt").string(), &error));
  EXPECT_EQ(error, "No such file or directory");
  std::filesystem::create_directory(dir.Path() / "d.txt");
  EXPECT_FALSE(f.Open((dir.Path() / "d.txt").string(), &error));
  EXPECT_EQ(error, "is a directory");
  EXPECT_FALSE(f.IsOpen());
}

TEST(SourceFile, EndlessDeviceKeepsMemoryBounded) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows opens no device as a source file";
#endif
  SourceFile f;
  std::string error;
  ASSERT_TRUE(f.Open("/dev/zero", &error)) << error;
  for (int i = 0; i < 200; ++i) {
    EXPECT_FALSE(f.AtEnd());
    EXPECT_EQ(f.ReadLine().size(), SourceFile::kMaxLineChars);
  }
}

TEST(SourceFile, FileCutShortWhileOpenReadsAsEnded) {
  test::TempDir dir;
  auto path = dir.Write("t.txt", "one\r\ntwo\r\nthree\r\n");
  SourceFile f;
  std::string error;
  ASSERT_TRUE(f.Open(path.string(), &error));
  EXPECT_EQ(f.ReadLine(), "one");
  std::filesystem::resize_file(path, 0);
  f.Rewind();
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(f.ReadLine(), "");
  std::filesystem::remove(path);  // still open: reads go on without failing
  EXPECT_EQ(f.ReadLine(), "");
}

}  // namespace
}  // namespace coderain
