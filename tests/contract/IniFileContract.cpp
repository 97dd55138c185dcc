#include <string>

#include "tests/contract/ContractTest.h"

namespace rd::contract {
namespace {

class IniFileContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    file = b->ScratchFolder() + "\\settings.ini";
  }

  // What the settings store does: a 255-character buffer, the count taken as the length.
  std::string Read(const std::string& section, const std::string& entry,
                   const std::string& defaultText, std::uint32_t* count = nullptr) {
    char buffer[255];
    const std::uint32_t n = b->ini().GetString(section, entry, defaultText, buffer, 255, file);
    if (count) *count = n;
    return std::string(buffer, n);
  }

  std::string file;
};

TEST_F(IniFileContract, WrittenEntriesReadBackWithTheirCount) {
  ASSERT_TRUE(b->ini().WriteString("Software\\Test", "Name", "some value", file));
  ASSERT_TRUE(b->ini().WriteString("Software\\Test", "Other", "2", file));
  ASSERT_TRUE(b->ini().WriteString("Elsewhere", "Name", "elsewhere", file));
  std::uint32_t count = 0;
  EXPECT_EQ(Read("Software\\Test", "Name", "dflt", &count), "some value");
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(Read("SOFTWARE\\test", "nAME", "dflt"), "some value");
  EXPECT_EQ(Read("Elsewhere", "Name", "dflt"), "elsewhere");

  ASSERT_TRUE(b->ini().WriteString("Software\\Test", "NAME", "replaced", file));
  EXPECT_EQ(Read("Software\\Test", "Name", ""), "replaced");
  EXPECT_EQ(Read("Software\\Test", "Other", ""), "2");
}

TEST_F(IniFileContract, MissingEntriesGiveTheDefault) {
  std::uint32_t count = 99;
  EXPECT_EQ(Read("Section", "Entry", "fallback", &count), "fallback");  // no file yet
  EXPECT_EQ(count, 8u);
  ASSERT_TRUE(b->ini().WriteString("Section", "Present", "yes", file));
  EXPECT_EQ(Read("Section", "Entry", "fallback"), "fallback");
  EXPECT_EQ(Read("Missing", "Present", "other"), "other");
  EXPECT_EQ(Read("Section", "Entry", "", &count), "");
  EXPECT_EQ(count, 0u);
}

TEST_F(IniFileContract, LongTextIsCutToTheCapacityLessOne) {
  const std::string text(300, 'x');
  ASSERT_TRUE(b->ini().WriteString("S", "Long", text, file));
  std::uint32_t count = 0;
  EXPECT_EQ(Read("S", "Long", "", &count), std::string(254, 'x'));
  EXPECT_EQ(count, 254u);
  EXPECT_EQ(Read("S", "Missing", std::string(260, 'd'), &count), std::string(254, 'd'));
  EXPECT_EQ(count, 254u);

  char small[4];
  EXPECT_EQ(b->ini().GetString("S", "Long", "", small, 4, file), 3u);
  EXPECT_EQ(std::string(small), "xxx");
}

TEST_F(IniFileContract, BlanksAroundTextAndMatchingQuotesAreDropped) {
  ASSERT_TRUE(b->ini().WriteString("S", "Padded", "  inner text  ", file));
  ASSERT_TRUE(b->ini().WriteString("S", "Quoted", "\"quoted\"", file));
  ASSERT_TRUE(b->ini().WriteString("S", "Single", "'single'", file));
  ASSERT_TRUE(b->ini().WriteString("S", "Half", "\"half", file));
  ASSERT_TRUE(b->ini().WriteString("S", "Inner", "\"a\" b \"c\"", file));
  EXPECT_EQ(Read("S", "Padded", ""), "inner text");
  EXPECT_EQ(Read("S", "Quoted", ""), "quoted");
  EXPECT_EQ(Read("S", "Single", ""), "single");
  EXPECT_EQ(Read("S", "Half", ""), "\"half");
  EXPECT_EQ(Read("S", "Inner", ""), "a\" b \"c");
  // A default loses its trailing spaces (not its leading ones) and its quotes.
  EXPECT_EQ(Read("S", "Missing", "  default  "), "  default");
  EXPECT_EQ(Read("S", "Missing", "\"C:\\a b.dem\""), "C:\\a b.dem");
}

TEST_F(IniFileContract, NumbersReadTheirLeadingDigits) {
  ASSERT_TRUE(b->ini().WriteString("N", "Plain", "640", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Negative", "-12", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Trailing", "12abc", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Word", "abc", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Empty", "", file));
  EXPECT_EQ(b->ini().GetInt("N", "Plain", 0, file), 640u);
  EXPECT_EQ(b->ini().GetInt("N", "Negative", 0, file), static_cast<std::uint32_t>(-12));
  EXPECT_EQ(b->ini().GetInt("N", "Trailing", 0, file), 12u);
  EXPECT_EQ(b->ini().GetInt("N", "Word", 7, file), 0u);
  EXPECT_EQ(b->ini().GetInt("N", "Missing", 7, file), 7u);
  EXPECT_EQ(b->ini().GetInt("N", "Missing", -1, file), 0xFFFFFFFFu);
  EXPECT_EQ(b->ini().GetInt("Nowhere", "Plain", 0, file), 0u);
  EXPECT_EQ(b->ini().GetInt("N", "Empty", 5, file), 5u);  // an empty entry counts as missing
}

TEST_F(IniFileContract, NumbersMayCarryASignOrABase) {
  ASSERT_TRUE(b->ini().WriteString("N", "Plus", "+5", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Hex", "0x1F", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Padded", " 12 ", file));
  ASSERT_TRUE(b->ini().WriteString("N", "Quoted", "\"34\"", file));
  EXPECT_EQ(b->ini().GetInt("N", "Plus", 0, file), 5u);
  EXPECT_EQ(b->ini().GetInt("N", "Hex", 0, file), 31u);
  EXPECT_EQ(b->ini().GetInt("N", "Padded", 0, file), 12u);
  EXPECT_EQ(b->ini().GetInt("N", "Quoted", 0, file), 34u);
}

}  // namespace
}  // namespace rd::contract
