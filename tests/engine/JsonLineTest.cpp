#include <gtest/gtest.h>

#include "e2e/JsonLines.h"
#include "engine/JsonLine.h"

namespace korvel {
namespace {

TEST(JsonLine, StringsAreEscapedAndAlwaysValidUtf8) {
  struct Case {
    const char* Name;
    std::string In;
    std::string Out;
  };
  const Case cases[] = {
      {"plain", "Programming Success!", "\"Programming Success!\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"controls", std::string("\x01\n\r\t\x1f", 5), "\"\\u0001\\u000a\\u000d\\u0009\\u001f\""},
      {"nul", std::string("a\0b", 3), "\"a\\u0000b\""},
      {"UTF-8 passes", "操作超时！", "\"操作超时！\""},
      {"four-byte UTF-8", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {"Latin-1 byte", "caf\xE9.hex", "\"caf\xEF\xBF\xBD.hex\""},
      {"cut sequence", "\xE6\x93", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"overlong", "\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"surrogate", "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string out = JsonString(c.In);
    EXPECT_EQ(out, c.Out);
    test::JsonReader reader(out);
    const auto back = reader.Whole();
    ASSERT_TRUE(back) << reader.Error();
    // Whatever was valid comes back as it was.
    if (c.Out.find("\xEF\xBF\xBD") == std::string::npos) {
      EXPECT_EQ(back->String, c.In);
    }
  }
}

TEST(JsonLine, ObjectKeepsMemberOrderAndWritesNull) {
  JsonLine j;
  j.Add("type", "end").Add("channel", 3).Add("found", false).Add("duration_ms", std::optional<int64_t>{});
  j.AddRaw("failed", "[3]");
  EXPECT_EQ(j.Text(), R"({"type":"end","channel":3,"found":false,"duration_ms":null,"failed":[3]})");
}

}  // namespace
}  // namespace korvel
