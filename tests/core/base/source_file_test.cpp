#include "core/base/source_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
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

// A UTF-16 file as Notepad writes it: the byte-order mark, then the units,
// little-endian or big-endian.
std::string Utf16(std::u16string_view units, bool bigEndian = false) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : units) {
    const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

// Bytes handed out at most `piece` at a time, as a device or a file being
// written hands them: the reads' edges fall everywhere.
class PieceBytes : public ByteSource {
 public:
  PieceBytes(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::ptrdiff_t Read(char* buffer, std::size_t n) override {
    n = std::min({n, piece_, bytes_.size() - at_});
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  void Rewind() override { at_ = 0; }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

TEST(SourceFile, ByteOrderMarksWhereverTheReadsEnd) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::string eight(8, ' ');
  const Case cases[] = {
      {"UTF-16 LE, every line end",
       Utf16(u"one\r\ntwo\nthree\rfour\r\n\r\nlast"),
       {"one", "two", "three", "four", "", "last"}},
      {"UTF-16 BE, every line end",
       Utf16(u"one\r\ntwo\nthree\rfour\r\n\r\nlast", true),
       {"one", "two", "three", "four", "", "last"}},
      {"UTF-16 Latin-1, beyond, a pair", Utf16(u"\u00e9\u00ff\u0080\u20ac\U0001F600z\r\n"), {"\xE9\xFF\x80??z"}},
      {"UTF-16 BE, a pair", Utf16(u"\U0001F600\u00e9", true), {"?\xE9"}},
      {"UTF-16 lone surrogates", Utf16(std::u16string{0xD83D, u'a', 0xDE00, u'b', 0xD800}), {"?a?b?"}},
      {"UTF-16 units whose bytes are CR and LF", Utf16(u"\u0a0d\u0d0a|\r\n"), {"??|"}},
      {"UTF-16 BE units whose bytes are CR and LF", Utf16(u"\u0a0d\u0d0a|", true), {"??|"}},
      {"UTF-16 tabs to eight",
       Utf16(u"a\tb\t\tc"),
       {"a" + std::string(7, ' ') + "b" + std::string(7, ' ') + eight + "c"}},
      {"UTF-16 NUL", Utf16(std::u16string{u'a', 0, u'b'}), {"a\0b"s}},
      {"UTF-16 ends in half a unit", Utf16(u"ab") + "c", {"ab?"}},
      {"UTF-16 only line ends", Utf16(u"\r\n\n\r"), {"", "", ""}},
      {"UTF-16 mark alone", Utf16(u""), {}},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "caf\xC3\xA9\r\n\xEF\xBB\xBFx",
       {"caf\xE9", "?x"}},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", {}},
      {"a mark not at the start", "x\xFF\xFE\r\n\xFE\xFF", {"x\xFF\xFE", "\xFE\xFF"}},
      {"the start of a mark", "\xEF\xBB", {"\xEF\xBB"}},
      {"the start of a mark, then text", "\xEF\xBBz\xFF", {"\xEF\xBBz\xFF"}},
      {"one byte of a mark", "\xFE", {"\xFE"}},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    // 0: a file on disk, read as the program reads it.
    for (std::size_t piece : {0, 1, 2, 3, 5}) {
      SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
      SourceFile f;
      std::string error;
      if (piece == 0) {
        ASSERT_TRUE(f.Open(dir.Write("m.txt", c.bytes).string(), &error)) << error;
      } else {
        f.Open(std::make_unique<PieceBytes>(c.bytes, piece), "m.txt");
      }
      EXPECT_EQ(ReadAll(f), c.lines);
      // A rewind reads the mark again.
      f.Rewind();
      EXPECT_EQ(ReadAll(f), c.lines);
    }
  }
}

TEST(SourceFile, Utf16LinesAreBoundedAsBytesAre) {
  test::TempDir dir;
  SourceFile f;
  std::string error;
  // 100,000 units are 200,000 bytes: four calls of at most 64 KiB, the last
  // taking the line end; then a line of exactly the budget (32,768 units),
  // whose line end goes with it.
  const std::u16string longLine(100000, u'x'), exact(SourceFile::kMaxScanBytes / 2, u'y');
  ASSERT_TRUE(f.Open(dir.Write("l.txt", Utf16(longLine + u"\r\n" + exact + u"\r\nnext")).string(), &error));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'x'));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'x'));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'x'));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'x'));
  EXPECT_EQ(f.ReadLine(), std::string(SourceFile::kMaxLineChars, 'y'));
  EXPECT_EQ(f.ReadLine(), "next");
  EXPECT_TRUE(f.AtEnd());
}

TEST(SourceFile, ShownPathIsOneShortLineThatNamesTheFile) {
  const std::string xs(5000, 'x');
  struct Case {
    std::string path, shown;
  } cases[] = {
      {"/home/u/donn\u00e9es \u2713/codeASM.txt", "/home/u/donn\u00e9es \u2713/codeASM.txt"},
      {"/a\nb\x1B]0;t\a/c\x7F", "/a?b?]0;t?/c?"},
      {"/x\xFF\xFE\xC3/\xC2\x9B[2J", "/x\?\?\?/?[2J"},  // not UTF-8; a C1 control
      {"/" + xs + "/codeASM.txt", "/" + std::string(71, 'x') + "..." + std::string(60, 'x') + "/codeASM.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownPath(c.path), c.shown);
  // A long path of two-byte characters is cut between them.
  std::string e;
  for (std::size_t i = 0; i < 3000; ++i) e += "\xC3\xA9";
  const std::string shown = ShownPath("/" + e + "/codeC.txt");
  EXPECT_LE(shown.size(), 160u);
  EXPECT_EQ(ShownPath(shown), shown);  // nothing cut inside a character
  EXPECT_EQ(shown.substr(shown.size() - 10), "/codeC.txt");
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
