#include "core/run/saver_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace coderain {
namespace {

// A REG_SZ's bytes: UTF-16LE, with its NUL unless `nul` is false.
StoredValue Text(const std::u16string& text, bool nul = true, std::uint32_t type = kRegText) {
  std::string bytes;
  for (const char16_t u : text + (nul ? std::u16string(1, u'\0') : u"")) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return {type, bytes};
}
StoredValue Dword(std::uint32_t n) {
  return {kRegNumber, std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}};
}

TEST(SaverSettings, EachValueOrItsDefault) {
  struct Row {
    const char* name;
    StoredValue value;
    SaverSettings want;
  } const rows[] = {
      {"EveryMonitor", Dword(1), {true, "", 0}},
      {"EveryMonitor", Dword(2), {}},
      {"EveryMonitor", Text(u"1"), {}},
      {"EveryMonitor", {kRegNumber, std::string("\1\0\0", 3)}, {}},
      {"Scale", Dword(4), {false, "", 4}},
      {"Scale", Dword(5), {}},
      {"Scale", Dword(0xFFFFFFFF), {}},
      {"Scale", Text(u"2"), {}},
      {"TextFolder",
       Text(u"C:\\Users\\J\u00fcrgen \u03a9mega\\code"),
       {false, "C:\\Users\\J\xc3\xbcrgen \xce\xa9mega\\code", 0}},
      {"TextFolder", Text(u"D:/texts", false), {false, "D:/texts", 0}},
      {"TextFolder", Text(u"C:\\code\\\\"), {false, "C:\\code", 0}},
      {"TextFolder", Text(u"C:\\"), {false, "C:\\", 0}},
      {"TextFolder", Text(u"\\\\server\\share\\"), {false, "\\\\server\\share", 0}},
      {"TextFolder", Text(u"C:\\\U0001F600"), {false, "C:\\\xf0\x9f\x98\x80", 0}},
      {"TextFolder", Text(std::u16string(u"C:\\a\0C:\\b", 9)), {false, "C:\\a", 0}},
      {"TextFolder", Text(u"code"), {}},
      {"TextFolder", Text(u"C:code"), {}},
      {"TextFolder", Text(u"\\code"), {}},
      {"TextFolder", Text(u"C:\\a\tb"), {}},
      {"TextFolder", Text(u"C:\\\xd800x"), {}},
      {"TextFolder", Text(u"C:\\" + std::u16string(32765, u'x')), {}},
      {"TextFolder", {kRegText, std::string("C\0:\0\\\0x", 7)}, {}},
      {"TextFolder", Text(u"C:\\code", true, 2), {}},  // REG_EXPAND_SZ
      {"Fps", Dword(15), {false, "", 0, 15}},
      {"Fps", Dword(0), {}},
      {"Fps", Dword(61), {}},
      {"HalfOnBattery", Dword(0), {false, "", 0, 60, false}},
      {"HalfOnBattery", Dword(2), {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.name << " " << testing::PrintToString(r.value.bytes).substr(0, 60));
    const SaverSettings got = ReadSaverSettings({{r.name, r.value}});
    EXPECT_TRUE(got == r.want) << got.everyMonitor << " " << got.textFolder << " " << got.scale << " " << got.fps << " "
                               << got.halfOnBattery;
  }
  EXPECT_TRUE(ReadSaverSettings({}) == SaverSettings{});
}

TEST(SaverSettings, StoredAsTheyAreRead) {
  for (const SaverSettings& s : {SaverSettings{}, SaverSettings{true, "C:\\\xce\xa9\xf0\x9f\x98\x80", 3},
                                 SaverSettings{false, "\\\\server\\share", 4, 15, false}}) {
    const StoredValues values = StoreSaverSettings(s);
    EXPECT_EQ(values.at("EveryMonitor").bytes, Dword(s.everyMonitor).bytes);
    EXPECT_TRUE(ReadSaverSettings(values) == s);
  }
  EXPECT_EQ(StoreSaverSettings({false, "C:\\\xce\xa9", 0}).at("TextFolder").bytes, Text(u"C:\\\u03a9").bytes);
}

TEST(SaverSettings, EveryMonitorInFullScreenOnly) {
  using M = LaunchRequest::Mode;
  for (const M mode : {M::OwnWindow, M::Preview}) {
    LaunchRequest request;
    request.mode = mode;
    ApplySaverSettings({true, "C:\\t", 2, 15, false}, &request);
    EXPECT_EQ(request.everyMonitor, mode == M::OwnWindow);
    EXPECT_EQ(request.dataDir, "C:\\t");
    EXPECT_EQ(request.scale, 2);
    EXPECT_EQ(request.rate.Cap(false), 15);
    EXPECT_EQ(request.rate.Cap(true), 15);
  }
  LaunchRequest request;
  ApplySaverSettings({false, "", 0, 15, true}, &request);
  EXPECT_EQ(request.rate.Cap(true), 8);
}

}  // namespace
}  // namespace coderain
