#include "core/run/xscreensaver_list.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace coderain {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// A line the value runs on after: one ending in an odd number of
// backslashes.
bool Continues(std::string_view line) {
  std::size_t n = 0;
  while (n < line.size() && line[line.size() - 1 - n] == '\\') ++n;
  return n % 2 == 1;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// The lines [first, end) of the resource "programs" (with any "*" before
// it), or first == end == lines.size() when there is none.
struct Span {
  std::size_t first, end;
};
Span FindList(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view key = Trim(lines[i]);
    if (!key.empty() && key[0] == '*') key.remove_prefix(1);
    if (key.substr(0, 8) != "programs" || Trim(key.substr(8)).substr(0, 1) != ":") continue;
    std::size_t end = i + 1;
    while (end < lines.size() && Continues(lines[end - 1])) ++end;
    return {i, end};
  }
  return {lines.size(), lines.size()};
}

// The value of the list in lines [first, end): its lines joined, without
// the key and the backslashes that run it on.
std::string Value(const std::vector<std::string>& lines, Span span) {
  std::string value;
  for (std::size_t i = span.first; i < span.end; ++i) {
    std::string_view line = lines[i];
    if (i == span.first) line.remove_prefix(line.find(':') + 1);
    if (Continues(line)) line.remove_suffix(1);
    value += line;
  }
  return value;
}

// Whether an entry of `value` runs `program`.
bool Runs(std::string_view value, std::string_view program) {
  while (!value.empty()) {
    const std::size_t end = value.find("\\n");
    std::string_view entry = Trim(value.substr(0, end));
    value.remove_prefix(end == std::string_view::npos ? value.size() : end + 2);
    if (!entry.empty() && entry[0] == '-') entry = Trim(entry.substr(1));
    // A visual is one word ending in ':'.
    if (const std::size_t word = entry.find_first_of(kBlanks); entry.substr(0, word).ends_with(':'))
      entry = Trim(entry.substr(word == std::string_view::npos ? entry.size() : word));
    if (!entry.empty() && entry[0] == '"') entry = Trim(entry.substr(std::min(entry.size(), entry.find('"', 1) + 1)));
    std::string_view word = entry.substr(0, entry.find_first_of(kBlanks));
    if (const std::size_t slash = word.rfind('/'); slash != std::string_view::npos) word.remove_prefix(slash + 1);
    if (word == program) return true;
  }
  return false;
}

}  // namespace

bool AddToXScreenSaverList(std::string* file, std::string_view defaults, std::string_view program,
                           std::string_view command) {
  std::vector<std::string> lines = Lines(*file);
  Span list = FindList(lines);
  if (list.first == list.end) {
    // The daemon's own list, under the key of a user's file.
    const std::vector<std::string> given = Lines(defaults);
    const Span span = FindList(given);
    list = {lines.size(), lines.size() + std::max<std::size_t>(1, span.end - span.first)};
    if (span.first == span.end) {
      lines.emplace_back("programs:");
    } else {
      lines.insert(lines.end(), given.begin() + static_cast<std::ptrdiff_t>(span.first),
                   given.begin() + static_cast<std::ptrdiff_t>(span.end));
      lines[list.first] = "programs:" + lines[list.first].substr(lines[list.first].find(':') + 1);
    }
  }
  if (Runs(Value(lines, list), program)) return false;
  // After the list's last line with an entry on it, which gets the "\n" that
  // ends an entry where it lacks one, and a backslash.
  std::size_t last = list.end - 1;
  const auto entryOn = [&](std::size_t i) {
    std::string_view line = lines[i];
    if (i == list.first) line.remove_prefix(line.find(':') + 1);
    return !Trim(Continues(line) ? line.substr(0, line.size() - 1) : line).empty();
  };
  while (last > list.first && !entryOn(last)) --last;
  std::string& at = lines[last];
  const bool more = Continues(at);  // blank lines of the list follow
  if (more) at.pop_back();
  while (!at.empty() && kBlanks.find(at.back()) != std::string_view::npos) at.pop_back();
  if (entryOn(last) && !at.ends_with("\\n")) at += " \\n";
  at += "\t\\";
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1,
               "\t\t\t\t" + std::string(command) + "\t\t\t\t    \\n" + (more ? "\\" : ""));
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  *file = text;
  return true;
}

}  // namespace coderain
