#include <optional>
#include <string>

#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

class IniFileContract : public ContractTest {
 protected:
  IniFile& ini() { return b->ports().ini; }

  // What the settings store does: a 255-character buffer, the count taken as the length.
  std::string Read(const std::string& section, const std::string& entry,
                   const std::string& defaultText) {
    char buffer[255];
    return std::string(buffer, ini().GetString(section, entry, defaultText, buffer, 255, file));
  }

  const std::string file = b->ScratchFolder() + "\\settings.ini";
};

TEST_F(IniFileContract, TextsReadBackTrimmedCutAndUnquotedOrAsTheDefault) {
  EXPECT_EQ(Read("Section", "Entry", "fallback"), "fallback");  // no file yet
  struct Case {
    std::string section, entry;
    std::optional<std::string> stored;
    std::string defaultText, read;
  };
  const Case cases[] = {
      {"Software\\Test", "Name", "some value", "dflt", "some value"},
      {"SOFTWARE\\test", "nAME", std::nullopt, "dflt", "some value"},
      {"Software\\Test", "Other", "2", "", "2"},
      {"Elsewhere", "Name", "elsewhere", "dflt", "elsewhere"},
      {"Software\\Test", "Missing", std::nullopt, "fallback", "fallback"},
      {"Missing", "Name", std::nullopt, "other", "other"},
      {"Software\\Test", "Missing", std::nullopt, "", ""},
      // Cut to the capacity less one.
      {"S", "Long", std::string(300, 'x'), "", std::string(254, 'x')},
      {"S", "Missing", std::nullopt, std::string(260, 'd'), std::string(254, 'd')},
      // Blanks around a text and a matching pair of quotes are dropped.
      {"S", "Padded", "  inner text  ", "", "inner text"},
      {"S", "Quoted", "\"quoted\"", "", "quoted"},
      {"S", "Single", "'single'", "", "single"},
      {"S", "Half", "\"half", "", "\"half"},
      {"S", "Inner", "\"a\" b \"c\"", "", "a\" b \"c"},
      // A default loses its trailing spaces (not its leading ones) and its quotes.
      {"S", "Missing", std::nullopt, "  default  ", "  default"},
      {"S", "Missing", std::nullopt, "\"C:\\a b.dem\"", "C:\\a b.dem"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(!c.stored || ini().WriteString(c.section, c.entry, *c.stored, file));
  }
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.section, c.entry, c.defaultText), c.read) << c.section << "\\" << c.entry;
  }
  char small[4];
  EXPECT_EQ(ini().GetString("S", "Long", "", small, 4, file), 3u);
  EXPECT_EQ(std::string(small), "xxx");

  ASSERT_TRUE(ini().WriteString("Software\\Test", "NAME", "replaced", file));
  EXPECT_EQ(Read("Software\\Test", "Name", ""), "replaced");
  EXPECT_EQ(Read("Software\\Test", "Other", ""), "2");
}

TEST_F(IniFileContract, NumbersReadTheirLeadingDigitsWithASignOrABase) {
  struct Case {
    const char* entry;
    const char* stored;  // null: not written
    std::int32_t defaultValue;
    std::uint32_t read;
  };
  const Case cases[] = {
      {"Plain", "640", 0, 640},     {"Negative", "-12", 0, static_cast<std::uint32_t>(-12)},
      {"Plus", "+5", 0, 5},         {"Hex", "0x1F", 0, 31},
      {"Padded", " 12 ", 0, 12},    {"Quoted", "\"34\"", 0, 34},
      {"Trailing", "12abc", 0, 12}, {"Word", "abc", 7, 0},
      {"Empty", "", 5, 5},  // an empty entry counts as missing
      {"Missing", nullptr, 7, 7},   {"Missing", nullptr, -1, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(!c.stored || ini().WriteString("N", c.entry, c.stored, file));
  }
  for (const Case& c : cases) {
    EXPECT_EQ(ini().GetInt("N", c.entry, c.defaultValue, file), c.read) << c.entry;
  }
  EXPECT_EQ(ini().GetInt("Nowhere", "Plain", 0, file), 0u);
}

}  // namespace
}  // namespace rd::contract
