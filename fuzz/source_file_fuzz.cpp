// Fuzzes the line reader against a plain model of what it promises.
//
// The input is a script and a file: the first byte gives the number of
// operation bytes that follow, the next two place a stretch of filler text
// near one of the reader's buffer or scan boundaries, and the rest is the
// file's tail. A tail that starts with a byte-order mark puts the mark at
// the head of the file and the filler after it, in the mark's encoding. The file lives in memory (a memfd) and is
// opened by its /proc path, as the program opens its source files. Each operation reads a line, tests for the end,
// rewinds, runs a code panel's tick, or cuts the file short or lengthens it while it is open. While the file is
// unchanged since the last rewind, every line and every end test must be exactly what the model says; after a change,
// lines must still stay within their bound. Every input ends with a rewind and a read of the whole file, which must
// match the model line for line and reach the end.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/base/source_file.h"

namespace {

using coderain::SourceFile;

[[noreturn]] void Fail(const char* what, std::string_view got, std::string_view want) {
  std::fprintf(stderr, "line reader: %s\n  got  %zu chars\n  want %zu chars\n", what, got.size(), want.size());
  for (std::size_t i = 0; i < got.size() || i < want.size(); ++i) {
    const int g = i < got.size() ? static_cast<unsigned char>(got[i]) : -1;
    const int w = i < want.size() ? static_cast<unsigned char>(want[i]) : -1;
    if (g != w) {
      std::fprintf(stderr, "  first difference at char %zu: got %d, want %d\n", i, g, w);
      break;
    }
  }
  std::abort();
}

// The length of the well-formed UTF-8 sequence at c[pos] and its character,
// or 0 (the table of well-formed byte sequences of the Unicode standard).
int DecodeModel(const std::string& c, std::size_t pos, char32_t* out) {
  auto at = [&](std::size_t k) { return pos + k < c.size() ? static_cast<unsigned char>(c[pos + k]) : 0x100u; };
  auto in = [](unsigned v, unsigned lo, unsigned hi) { return v >= lo && v <= hi; };
  const unsigned b0 = at(0);
  int len = 0;
  unsigned lo1 = 0x80, hi1 = 0xBF;
  if (in(b0, 0xC2, 0xDF)) {
    len = 2;
  } else if (b0 == 0xE0) {
    len = 3, lo1 = 0xA0;
  } else if (in(b0, 0xE1, 0xEC) || in(b0, 0xEE, 0xEF)) {
    len = 3;
  } else if (b0 == 0xED) {
    len = 3, hi1 = 0x9F;
  } else if (b0 == 0xF0) {
    len = 4, lo1 = 0x90;
  } else if (in(b0, 0xF1, 0xF3)) {
    len = 4;
  } else if (b0 == 0xF4) {
    len = 4, hi1 = 0x8F;
  } else {
    return 0;
  }
  if (!in(at(1), lo1, hi1)) return 0;
  for (int k = 2; k < len; ++k)
    if (!in(at(static_cast<std::size_t>(k)), 0x80, 0xBF)) return 0;
  char32_t ch = b0 & (len == 2 ? 0x1Fu : len == 3 ? 0x0Fu : 0x07u);
  for (int k = 1; k < len; ++k) ch = (ch << 6) | (at(static_cast<std::size_t>(k)) & 0x3Fu);
  *out = ch;
  return len;
}

enum class Encoding { Bytes, Utf16Le, Utf16Be };

// The byte-order mark `c` starts with: its length and the encoding it says.
std::size_t Mark(const std::string& c, Encoding* encoding) {
  *encoding = Encoding::Bytes;
  if (c.starts_with("\xEF\xBB\xBF")) return 3;
  if (c.starts_with("\xFF\xFE")) *encoding = Encoding::Utf16Le;
  if (c.starts_with("\xFE\xFF")) *encoding = Encoding::Utf16Be;
  return *encoding == Encoding::Bytes ? 0 : 2;
}

// The next line of UTF-16 text `c` from *pos, as the reader's header
// describes it.
std::string ModelLine16(const std::string& c, std::size_t* pos, bool bigEndian) {
  std::string line;
  std::size_t scanned = 0;
  int column = 0;
  std::size_t p = *pos;
  auto unit = [&](std::size_t at) -> unsigned {
    if (at + 1 >= c.size()) return 0x10000;  // none, or half of one
    const unsigned a = static_cast<unsigned char>(c[at]), b = static_cast<unsigned char>(c[at + 1]);
    return bigEndian ? a << 8 | b : b << 8 | a;
  };
  auto takeLineEnd = [&] {
    if (unit(p) != '\n' && unit(p) != '\r') return false;
    const bool cr = unit(p) == '\r';
    p += 2;
    if (cr && unit(p) == '\n') p += 2;
    return true;
  };
  auto keep = [&](unsigned ch) {
    if (line.size() < SourceFile::kMaxLineChars) line.push_back(static_cast<char>(ch));
  };
  while (p < c.size() && scanned < SourceFile::kMaxScanBytes) {
    if (takeLineEnd()) {
      *pos = p;
      return line;
    }
    if (line.size() >= SourceFile::kMaxLineChars) {
      // Past the bound nothing is decoded: unit by unit to the line end or
      // the budget.
      const std::size_t used = unit(p) == 0x10000 ? 1 : 2;
      p += used;
      scanned += used;
      continue;
    }
    const unsigned u = unit(p);
    std::size_t used = 2;
    unsigned ch = '?';
    if (u == 0x10000) {
      used = 1;
    } else if (u < 0xD800 || u > 0xDFFF) {
      if (u < 0x100) ch = u;
    } else if (u < 0xDC00 && unit(p + 2) >= 0xDC00 && unit(p + 2) < 0xE000) {
      used = 4;
    }
    if (ch == '\t') {
      do keep(' ');
      while (++column % 8 != 0);
    } else {
      keep(ch);
      ++column;
    }
    p += used;
    scanned += used;
  }
  takeLineEnd();
  *pos = p;
  return line;
}

// The next line of `c` from *pos, as the reader's header describes it.
std::string ModelLine(const std::string& c, std::size_t* pos) {
  Encoding e;
  Mark(c, &e);
  if (e != Encoding::Bytes) return ModelLine16(c, pos, e == Encoding::Utf16Be);
  std::string line;
  std::size_t scanned = 0;
  int column = 0;
  std::size_t p = *pos;
  auto takeLineEnd = [&] {
    if (p < c.size() && c[p] == '\n') {
      ++p;
      return true;
    }
    if (p < c.size() && c[p] == '\r') {
      ++p;
      if (p < c.size() && c[p] == '\n') ++p;
      return true;
    }
    return false;
  };
  while (p < c.size() && scanned < SourceFile::kMaxScanBytes) {
    if (takeLineEnd()) {
      *pos = p;
      return line;
    }
    if (line.size() >= SourceFile::kMaxLineChars) {
      // Past the bound nothing is kept: on to the line end or the budget.
      std::size_t to = std::min(c.size(), p + (SourceFile::kMaxScanBytes - scanned));
      for (char end : {'\r', '\n'}) {
        const void* hit = std::memchr(c.data() + p, end, to - p);
        if (hit) to = static_cast<std::size_t>(static_cast<const char*>(hit) - c.data());
      }
      scanned += to - p;
      p = to;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(c[p]);
    std::size_t used = 1;
    if (b == '\t') {
      do {
        line.push_back(' ');
        ++column;
      } while (column % 8 != 0 && line.size() < SourceFile::kMaxLineChars);
    } else {
      char32_t ch = b;
      const int len = b >= 0x80 ? DecodeModel(c, p, &ch) : 0;
      if (len > 0) used = static_cast<std::size_t>(len);
      if (len > 0 && ch > 0xFF) ch = '?';
      line.push_back(static_cast<char>(static_cast<unsigned char>(ch)));
      ++column;
    }
    p += used;
    scanned += used;
  }
  // A piece of a long line that ends right at the line end takes it along:
  // a line of exactly the scan length is one line, not a line and an empty
  // one.
  takeLineEnd();
  *pos = p;
  return line;
}

std::string FileContents(int fd) {
  std::string c;
  char buf[4096];
  ssize_t n;
  off_t at = 0;
  while ((n = ::pread(fd, buf, sizeof buf, at)) > 0) {
    c.append(buf, static_cast<std::size_t>(n));
    at += n;
  }
  return c;
}

// Filler before the tail, placed so that the tail meets the edges of the
// reader's 16 KiB reads and its 64 KiB scan budget.
std::string Filler(unsigned where, unsigned offset) {
  constexpr std::size_t kBases[8] = {0, 0, 16384, 32768, 49152, 65536, 65536 + 16384, 131072};
  const std::size_t base = kBases[where & 7];
  const std::size_t n = base == 0 ? offset : base - 128 + offset;
  constexpr const char* kUnits[4] = {
      "x",                                                                 // one long line
      "abcdefghijklmnopqrstuvwxyz01234\n",                                 // lines ending in LF
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwx\r\n",  // in CR LF
      "\xC3\xA9\t",  // one long line of two-byte characters and tabs
  };
  std::string f(kUnits[(where >> 3) & 3]);
  while (f.size() < n) f += f;
  f.resize(n);
  return f;
}

void Write(int fd, const std::string& c, off_t at) {
  std::size_t done = 0;
  while (done < c.size()) {
    const ssize_t n = ::pwrite(fd, c.data() + done, c.size() - done, at + static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::size_t opCount = std::min<std::size_t>(data[0] % 33, size - 4);
  const std::uint8_t* ops = data + 1;
  const unsigned where = data[1 + opCount];
  const unsigned offset = data[2 + opCount];
  std::string tail(reinterpret_cast<const char*>(data + 3 + opCount), size - 3 - opCount);
  Encoding encoding;
  const std::string mark = tail.substr(0, Mark(tail, &encoding));
  std::string filler = Filler(where, offset);
  if (encoding != Encoding::Bytes) {
    // About as many bytes as the filler had, one unit for each of its first
    // half.
    std::string units;
    for (std::size_t i = 0; i < filler.size() / 2; ++i) {
      const char zero = 0;
      units += encoding == Encoding::Utf16Le ? std::string{filler[i], zero} : std::string{zero, filler[i]};
    }
    filler = units;
  }
  std::string contents = mark + filler + tail.substr(mark.size());

  const int fd = ::memfd_create("source", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  Write(fd, contents, 0);

  SourceFile file;
  std::string error;
  if (!file.Open("/proc/self/fd/" + std::to_string(fd), &error)) {
    std::fprintf(stderr, "cannot open the memfd: %s\n", error.c_str());
    std::abort();
  }

  // The model follows the reader while the file is as it was at the last
  // rewind (or the opening), from the first byte after the mark.
  bool modelled = true;
  std::size_t pos = mark.size();
  auto readLine = [&] {
    const std::string_view got = file.ReadLine();
    if (got.size() > SourceFile::kMaxLineChars) Fail("a line past its bound", got, {});
    if (modelled) {
      const std::string want = ModelLine(contents, &pos);
      if (got != want) Fail("a line differs from the model", got, want);
    }
  };
  auto atEnd = [&] {
    const bool got = file.AtEnd();
    if (modelled && got != (pos >= contents.size())) Fail(got ? "at its end too soon" : "not at its end", {}, {});
    return got;
  };
  auto rewind = [&] {
    file.Rewind();
    if (!modelled) contents = FileContents(fd);
    Encoding e;
    pos = Mark(contents, &e);
    modelled = true;
  };
  // A code panel's tick: rewind at the end, then read a line.
  auto tick = [&] {
    if (atEnd()) rewind();
    readLine();
  };

  for (std::size_t i = 0; i < opCount; ++i) {
    const unsigned op = ops[i];
    switch (op % 8) {
      case 0:
      case 1:
        readLine();
        break;
      case 2:
        atEnd();
        break;
      case 3:
        rewind();
        break;
      case 4:
        tick();
        break;
      case 5:
        for (unsigned k = 0; k <= op / 8; ++k) tick();
        break;
      case 6: {
        // Cut short while open, as a user might truncate the file.
        const off_t len = static_cast<off_t>(contents.size() * (op / 8) / 31);
        if (::ftruncate(fd, len) != 0) std::abort();
        modelled = false;
        break;
      }
      case 7:
        // Lengthened while open.
        Write(fd, tail, static_cast<off_t>(FileContents(fd).size()));
        modelled = false;
        break;
    }
  }

  // The whole file from the start: every line as the model says, then the
  // end, reached in at most one line per byte.
  rewind();
  std::size_t lines = 0;
  while (!atEnd()) {
    readLine();
    if (++lines > contents.size() + 1) Fail("never reaches its end", {}, {});
  }
  if (pos != contents.size()) Fail("ended before the model did", {}, {});
  ::close(fd);
  return 0;
}
