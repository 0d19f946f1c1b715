#include "core/base/source_file.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace coderain {

namespace {

constexpr std::size_t kBufferBytes = 16 * 1024;
constexpr int kTabStop = 8;

// The length of the valid UTF-8 sequence at p (2 to 4 bytes) and its
// character, or 0 when the bytes are not one, or -1 when the `avail` bytes
// begin one but end before it does.
int DecodeUtf8(const unsigned char* p, std::size_t avail, char32_t* out) {
  unsigned char b = p[0];
  int len = 0;
  char32_t c = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    c = b & 0x07;
  } else {
    return 0;
  }
  for (int i = 1; i < len; ++i) {
    if (static_cast<std::size_t>(i) >= avail) return -1;
    if ((p[i] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (p[i] & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not valid.
  if ((len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *out = c;
  return len;
}

}  // namespace

std::string ShownPath(std::string_view path) {
  std::string shown;
  for (std::size_t i = 0; i < path.size();) {
    const auto b = static_cast<unsigned char>(path[i]);
    char32_t c = b;
    int len = b < 0x80 ? 1 : DecodeUtf8(reinterpret_cast<const unsigned char*>(path.data()) + i, path.size() - i, &c);
    if (len <= 0) {
      len = 1;
      shown += '?';
    } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      shown += '?';  // C1 controls are controls too
    } else {
      shown.append(path.substr(i, static_cast<std::size_t>(len)));
    }
    i += static_cast<std::size_t>(len);
  }
  constexpr std::size_t kLongest = 160, kKept = 72;
  if (shown.size() <= kLongest) return shown;
  // Cut between characters, never inside one.
  const auto isContinuation = [&](std::size_t k) { return (static_cast<unsigned char>(shown[k]) & 0xC0) == 0x80; };
  std::size_t head = kKept, tail = shown.size() - kKept;
  while (isContinuation(head)) --head;
  while (isContinuation(tail)) ++tail;
  return shown.substr(0, head) + "..." + shown.substr(tail);
}

bool SourceFile::Open(const std::string& path, std::string* error) {
  Close();
  std::unique_ptr<ByteSource> bytes = OpenByteSource(path, error);
  if (!bytes) return false;
  Open(std::move(bytes), path);
  return true;
}

void SourceFile::Open(std::unique_ptr<ByteSource> bytes, std::string path) {
  bytes_ = std::move(bytes);
  path_ = std::move(path);
  buffer_.assign(kBufferBytes, 0);
  line_.reserve(kMaxLineChars);
  begin_ = end_ = 0;
  eof_ = false;
  atStart_ = true;
}

void SourceFile::Close() { bytes_.reset(); }

bool SourceFile::Fill() {
  if (begin_ < end_) return true;
  if (!bytes_) return false;
  begin_ = end_ = 0;
  const std::ptrdiff_t n = bytes_->Read(buffer_.data(), buffer_.size());
  if (n <= 0) {
    // End of file, nothing ready on a device, or a read error: all read as
    // "no more bytes now".
    eof_ = n == 0;
    return false;
  }
  end_ = static_cast<std::size_t>(n);
  return true;
}

bool SourceFile::Start() {
  if (!atStart_) return true;
  if (!Fill()) return false;
  constexpr std::string_view kMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  const auto unread = [this] { return std::string_view(buffer_.data() + begin_, end_ - begin_); };
  // A read that stopped inside a mark is completed, as far as bytes come.
  const auto cutMark = [&] {
    return std::any_of(std::begin(kMarks), std::end(kMarks),
                       [&](std::string_view m) { return unread().size() < m.size() && m.starts_with(unread()); });
  };
  while (cutMark() && FillMore()) {
  }
  encoding_ = Encoding::Bytes;
  if (unread().starts_with(kMarks[0])) {
    begin_ += kMarks[0].size();
  } else if (unread().starts_with(kMarks[1])) {
    begin_ += kMarks[1].size();
    encoding_ = Encoding::Utf16Le;
  } else if (unread().starts_with(kMarks[2])) {
    begin_ += kMarks[2].size();
    encoding_ = Encoding::Utf16Be;
  }
  atStart_ = false;
  return true;
}

bool SourceFile::AtEnd() {
  if (!Start()) return eof_;
  if (begin_ < end_) return false;
  return !Fill() && eof_;
}

void SourceFile::Rewind() {
  if (bytes_) bytes_->Rewind();
  begin_ = end_ = 0;
  eof_ = false;
  atStart_ = true;
}

bool SourceFile::FillMore() {
  if (!bytes_) return false;
  std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  if (end_ == buffer_.size()) return false;
  const std::ptrdiff_t n = bytes_->Read(buffer_.data() + end_, buffer_.size() - end_);
  if (n <= 0) {
    eof_ = n == 0;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  return true;
}

bool SourceFile::Have(std::size_t n) {
  while (end_ - begin_ < n)
    if (!(begin_ < end_ ? FillMore() : Fill())) return false;
  return true;
}

std::string_view SourceFile::ReadLine() {
  line_.clear();
  if (!Start()) return line_;
  return encoding_ == Encoding::Bytes ? ReadByteLine() : ReadUtf16Line();
}

std::string_view SourceFile::ReadUtf16Line() {
  const bool bigEndian = encoding_ == Encoding::Utf16Be;
  const auto unitAt = [&](std::size_t k) {
    const auto* u = reinterpret_cast<const unsigned char*>(buffer_.data()) + begin_ + k;
    return static_cast<char32_t>(bigEndian ? u[0] << 8 | u[1] : u[1] << 8 | u[0]);
  };
  // Takes the line end at the read position, if there is one.
  const auto takeLineEnd = [&] {
    if (!Have(2) || (unitAt(0) != '\n' && unitAt(0) != '\r')) return false;
    const bool cr = unitAt(0) == '\r';
    begin_ += 2;
    if (cr && Have(2) && unitAt(0) == '\n') begin_ += 2;
    return true;
  };
  std::size_t scanned = 0;
  int column = 0;
  while (scanned < kMaxScanBytes && Have(1)) {
    if (takeLineEnd()) return line_;
    if (line_.size() >= kMaxLineChars) {
      // Past what any panel shows: whole units, not decoded, up to a line
      // end (found only on a unit's boundary) or the end of what is read;
      // half a unit, the last byte or one cut by the read, as one.
      const std::size_t units = std::min(end_ - begin_, kMaxScanBytes - scanned) / 2;
      const auto* low = reinterpret_cast<const unsigned char*>(buffer_.data()) + begin_ + (bigEndian ? 1 : 0);
      const auto* high = reinterpret_cast<const unsigned char*>(buffer_.data()) + begin_ + (bigEndian ? 0 : 1);
      std::size_t skip = 0;
      while (skip < units && (high[2 * skip] != 0 || (low[2 * skip] != '\n' && low[2 * skip] != '\r'))) ++skip;
      const std::size_t used = skip > 0 ? 2 * skip : Have(2) ? 2 : 1;
      begin_ += used;
      scanned += used;
      continue;
    }
    std::size_t used = 2;
    char32_t c = '?';  // half a unit at the end, a lone surrogate, past Latin-1
    if (!Have(2)) {
      used = 1;
    } else if (const char32_t u = unitAt(0); u < 0xD800 || u > 0xDFFF) {
      if (u <= 0xFF) c = u;
    } else if (u <= 0xDBFF && Have(4) && unitAt(2) >= 0xDC00 && unitAt(2) <= 0xDFFF) {
      used = 4;
    }
    begin_ += used;
    scanned += used;
    if (c == '\t') {
      do {
        line_.push_back(' ');
      } while (++column % kTabStop != 0 && line_.size() < kMaxLineChars);
    } else {
      line_.push_back(static_cast<char>(static_cast<unsigned char>(c)));
      ++column;
    }
  }
  // As for bytes: a piece that stops right at its line end takes it along.
  if (scanned >= kMaxScanBytes) takeLineEnd();
  return line_;
}

std::string_view SourceFile::ReadByteLine() {
  std::size_t scanned = 0;
  int column = 0;
  // Set when the bytes of a character cut by the end of the buffer could
  // not be completed: they are then taken one by one.
  bool cutForGood = false;
  while (scanned < kMaxScanBytes && Fill()) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(buffer_.data()) + begin_;
    const std::size_t avail = end_ - begin_;
    const std::size_t budget = std::min(avail, kMaxScanBytes - scanned);
    bool cut = false;
    std::size_t i = 0;
    while (i < budget) {
      unsigned char b = p[i];
      if (b == '\n') {
        begin_ += i + 1;
        return line_;
      }
      if (b == '\r') {
        begin_ += i + 1;
        // CR LF is one line end; a lone CR is one too.
        if (Fill() && buffer_[begin_] == '\n') ++begin_;
        return line_;
      }
      std::size_t used = 1;
      if (line_.size() < kMaxLineChars) {
        if (b == '\t') {
          do {
            line_.push_back(' ');
            ++column;
          } while (column % kTabStop != 0 && line_.size() < kMaxLineChars);
        } else {
          char32_t c = b;
          if (b >= 0x80) {
            int len = DecodeUtf8(p + i, budget - i, &c);
            if (len < 0 && budget == avail && !cutForGood) {
              cut = true;
              break;
            }
            cutForGood = false;
            if (len > 0) {
              used = static_cast<std::size_t>(len);
              if (c > 0xFF) c = '?';
            }
          }
          line_.push_back(static_cast<char>(static_cast<unsigned char>(c)));
          ++column;
        }
      } else {
        // Past what any panel shows: skip to the line end without keeping.
        const void* nl = std::memchr(p + i, '\n', budget - i);
        const void* cr = std::memchr(p + i, '\r', budget - i);
        std::size_t stop = budget;
        if (nl) stop = std::min(stop, static_cast<std::size_t>(static_cast<const unsigned char*>(nl) - p));
        if (cr) stop = std::min(stop, static_cast<std::size_t>(static_cast<const unsigned char*>(cr) - p));
        used = stop - i;
        if (used == 0) continue;
      }
      i += used;
    }
    begin_ += i;
    scanned += i;
    // A character cut by the end of what has been read: read the rest of it.
    if (cut) cutForGood = !FillMore();
  }
  // A piece that stops right at its line end takes the line end along: a
  // line of exactly the scan budget is one line, not a line and an empty one.
  if (scanned >= kMaxScanBytes && Fill()) {
    if (buffer_[begin_] == '\n') {
      ++begin_;
    } else if (buffer_[begin_] == '\r') {
      ++begin_;
      if (Fill() && buffer_[begin_] == '\n') ++begin_;
    }
  }
  return line_;
}

}  // namespace coderain
