// Which display the program opens: each display this build has is a row
// of a table (its name, a cheap look at the environment, and its open),
// and the choice walks the table for the launch request.
//
// The displays an environment names are tried in the table's order; where
// it names none, the last resort is tried, to say why nothing answers. A
// display that answers and cannot show the scene ends the choice with its
// line; one that does not answer at all gives way to the next.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/run/launch_request.h"

namespace coderain {

// What the environment says of a display, for a request.
enum class Probe {
  Named,     // the environment names one (a variable, a socket): try it
  NotNamed,  // nothing names one; it may still be there
  Excluded,  // the request rules it out (it asks for another kind)
};

template <typename Display>
struct DisplayRow {
  const char* name;
  std::function<Probe(const LaunchRequest&)> probe;
  // What to tell when it is not named ("DISPLAY is not set"), or null.
  const char* notNamed = nullptr;
  // Tried where no display is named.
  bool lastResort = false;
  // Opens it. Returns null and sets *error where it cannot: *answered then
  // says whether anything answered at all. A display that did not answer
  // gives only the reason, which follows "cannot open the display: ".
  std::function<std::unique_ptr<Display>(const LaunchRequest&, bool* answered, std::string* error)> open;
};

// Keeps of `rows` only the one called `name` (CODERAIN_DISPLAY=x11, say),
// tried whether or not the environment names it; a null or empty name
// keeps them all. Returns false and sets *error, one line, where no row has
// that name.
template <typename Display>
bool PickDisplay(const char* name, std::vector<DisplayRow<Display>>* rows, std::string* error) {
  if (!name || !*name) return true;
  std::string names;
  for (DisplayRow<Display>& row : *rows) {
    if (row.name == std::string_view(name)) {
      DisplayRow<Display> picked = std::move(row);
      picked.probe = [probe = std::move(picked.probe)](const LaunchRequest& request) {
        return probe(request) == Probe::Excluded ? Probe::Excluded : Probe::Named;
      };
      rows->assign(1, std::move(picked));
      return true;
    }
    names += (names.empty() ? "" : ", ") + std::string(row.name);
  }
  *error = "CODERAIN_DISPLAY=" + Printable(name) + ": no such display (this build has " +
           (names.empty() ? std::string("none") : names) + ")";
  return false;
}

// Opens the display `request` asks for among `rows`. Returns null and sets
// *error, one line, when none opens.
template <typename Display>
std::unique_ptr<Display> OpenDisplay(std::span<const DisplayRow<Display>> rows, const LaunchRequest& request,
                                     std::string* error) {
  std::vector<const DisplayRow<Display>*> tried, notNamed;
  for (const DisplayRow<Display>& row : rows) {
    const Probe p = row.probe(request);
    if (p == Probe::Named) tried.push_back(&row);
    if (p == Probe::NotNamed) notNamed.push_back(&row);
  }
  if (tried.empty())
    for (const DisplayRow<Display>* row : notNamed)
      if (row->lastResort) tried.push_back(row);
  std::string reason = "this build has no display for it";
  for (const DisplayRow<Display>* row : tried) {
    bool answered = false;
    std::string why;
    if (std::unique_ptr<Display> d = row->open(request, &answered, &why)) return d;
    if (answered) {
      *error = why;
      return nullptr;
    }
    reason = why;
  }
  // Why each display that was not tried was not, then why the last one
  // tried did not answer.
  std::string line = "cannot open the display: ";
  for (const DisplayRow<Display>* row : notNamed)
    if (row->notNamed && std::find(tried.begin(), tried.end(), row) == tried.end())
      line += std::string(row->notNamed) + ", and ";
  *error = line + reason;
  return nullptr;
}

}  // namespace coderain
