#include <optional>
#include <string>
#include <tuple>

#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

// Names in any case; texts cut to the buffer; numbers from their leading digits with a sign,
// the default for a missing or empty entry.
TEST_F(ContractTest, IniTextsAndNumbersReadBackAsWrittenOrAsTheDefault) {
  IniFile& ini = b->ports().ini;
  const std::string file = b->folder + "\\settings.ini";
  char buffer[255];
  EXPECT_EQ(std::string(buffer, ini.GetString("S", "E", "none", buffer, 255, file)), "none");
  // clang-format off
  const std::tuple<std::string, const char*, std::optional<std::string>, std::string, std::string, std::int32_t,
                   std::uint32_t> cases[] = {
      {"Software\\Test", "Name", "some value", "d", "some value", 5, 0},
      {"SOFTWARE\\test", "nAME", std::nullopt, "d", "some value", 5, 0}, {"S", "Gone", std::nullopt, "d", "d", 7, 7},
      {"S", "Long", std::string(300, 'x'), "", std::string(254, 'x'), 0, 0},
      {"S", "Gone", std::nullopt, std::string(260, 'd'), std::string(254, 'd'), -1, 0xFFFFFFFFu},
      {"N", "Negative", "-12x", "", "-12x", 0, 0xFFFFFFF4u}, {"N", "Plus", "+5", "", "+5", 0, 5},
      {"N", "Empty", "", "d", "", 5, 5}};
  // clang-format on
  for (const auto& [section, entry, stored, def, text, defaultNumber, number] : cases) {
    ASSERT_TRUE(!stored || ini.WriteString(section, entry, *stored, file));
    EXPECT_EQ(std::string(buffer, ini.GetString(section, entry, def, buffer, 255, file)), text)
        << entry;
    EXPECT_EQ(ini.GetInt(section, entry, defaultNumber, file), number) << entry;
  }
}

}  // namespace
}  // namespace rd::contract
