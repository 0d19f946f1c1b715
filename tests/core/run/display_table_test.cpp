#include "core/run/display_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace coderain {
namespace {

struct Fake {};

// Rows "a" and "b" whose probes say what the case says and whose opens
// answer or not, as the case says; *tried collects the names of the rows
// opened.
std::vector<DisplayRow<Fake>> Rows(Probe a, Probe b, bool aAnswers, bool bOpens, std::vector<std::string>* tried) {
  const auto open = [tried](const char* name, bool answers, bool opens) {
    return [=](const LaunchRequest&, bool* answered, std::string* error) -> std::unique_ptr<Fake> {
      tried->push_back(name);
      *answered = answers;
      if (opens) return std::make_unique<Fake>();
      *error = answers ? std::string(name) + " cannot show it" : std::string("no ") + name + " there";
      return nullptr;
    };
  };
  return {{"a", [a](const LaunchRequest&) { return a; }, nullptr, true, open("a", aAnswers, false)},
          {"b", [b](const LaunchRequest&) { return b; }, "B is not set", false, open("b", bOpens, bOpens)}};
}

TEST(DisplayTable, TheChoiceWalksTheTable) {
  using P = Probe;
  struct Row {
    const char* what;
    Probe a, b;
    bool aAnswers, bOpens;
    std::vector<std::string> tried;
    const char* line;  // empty: b opened
  };
  const Row rows[] = {
      {"both named: a first, then b", P::Named, P::Named, false, true, {"a", "b"}, ""},
      {"one that answers and cannot show the scene ends the choice",
       P::Named,
       P::Named,
       true,
       true,
       {"a"},
       "a cannot show it"},
      {"none answers: the last one's reason",
       P::Named,
       P::Named,
       false,
       false,
       {"a", "b"},
       "cannot open the display: no b there"},
      {"b not named: why, and a's reason",
       P::Named,
       P::NotNamed,
       false,
       true,
       {"a"},
       "cannot open the display: B is not set, and no a there"},
      {"nothing named: the last resort says why",
       P::NotNamed,
       P::NotNamed,
       false,
       true,
       {"a"},
       "cannot open the display: B is not set, and no a there"},
      {"only b named", P::Excluded, P::Named, false, false, {"b"}, "cannot open the display: no b there"},
      {"nothing that may be tried",
       P::Excluded,
       P::Excluded,
       false,
       true,
       {},
       "cannot open the display: this build has no display for it"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<std::string> tried;
    const std::vector<DisplayRow<Fake>> table = Rows(r.a, r.b, r.aAnswers, r.bOpens, &tried);
    std::string error;
    const std::unique_ptr<Fake> d = OpenDisplay<Fake>(table, LaunchRequest{}, &error);
    EXPECT_EQ(tried, r.tried);
    EXPECT_EQ(d != nullptr, std::string(r.line).empty());
    EXPECT_EQ(error, r.line);
  }
}

TEST(DisplayTable, OneRowPickedByName) {
  std::vector<std::string> tried;
  std::string error;
  // Named, the row is tried where nothing names it, and only it.
  std::vector<DisplayRow<Fake>> table = Rows(Probe::Named, Probe::NotNamed, false, true, &tried);
  ASSERT_TRUE(PickDisplay<Fake>("b", &table, &error));
  EXPECT_NE(OpenDisplay<Fake>(table, LaunchRequest{}, &error), nullptr);
  EXPECT_EQ(tried, std::vector<std::string>{"b"});
  // No name, or an empty one, keeps the table; an unknown name is a line.
  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    table = Rows(Probe::Named, Probe::NotNamed, false, true, &tried);
    EXPECT_TRUE(PickDisplay<Fake>(none, &table, &error));
    EXPECT_EQ(table.size(), 2u);
  }
  EXPECT_FALSE(PickDisplay<Fake>("x\n11", &table, &error));
  EXPECT_EQ(error, "CODERAIN_DISPLAY=x?11: no such display (this build has a, b)");
}

}  // namespace
}  // namespace coderain
