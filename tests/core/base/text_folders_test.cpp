#include "core/base/text_folders.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace coderain {
namespace {

TEST(TextFolders, TheUsersFolderAndWhatItLacks) {
  test::TempDir mine;
  const std::string folder = mine.Path().string();
  mine.Write("codeC.txt", "x\n");
  const std::string own = CODERAIN_TEST_DATA, lacks = "coderain: no codeASM.txt, codeVB.txt in " + folder + "; ";
  struct Row {
    std::string given, own;
    std::array<std::string, 3> of;
    std::string note;  // its start
  };
  const Row rows[] = {
      {own, own, {own, own, own}, ""},
      {own + "/codeVB.txt", own, {own, own, own}, ""},  // a file means the folder it is in
      {folder, own, {own, folder, own}, lacks + "showing the program's own"},
      {folder + "/codeC.txt", own, {own, folder, own}, lacks},
      {folder, "", {folder, folder, folder}, ""},  // nothing to take them from: start-up names the first
      {folder + "/nowhere", own, {folder + "/nowhere", folder + "/nowhere", folder + "/nowhere"}, ""},
      {own + "/codeVB.txt/x", own, {own + "/codeVB.txt/x", own + "/codeVB.txt/x", own + "/codeVB.txt/x"}, ""},
  };
  for (const Row& row : rows) {
    std::string note;
    EXPECT_EQ(FindTextFolders(row.given, row.own, &note).of, row.of) << row.given;
    EXPECT_EQ(note.substr(0, row.note.size()), row.note) << row.given;
    EXPECT_EQ(note.empty(), row.note.empty()) << row.given;
  }
  EXPECT_EQ(TextFolders("/").Path(2), "//codeVB.txt");
}

}  // namespace
}  // namespace coderain
