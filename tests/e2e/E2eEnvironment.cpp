#include <gtest/gtest.h>

#include "tests/e2e/Scenario.h"

namespace {

class E2eEnvironment final : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(e2e::FileExists(e2e::ReplaydockExe())) << e2e::ReplaydockExe();
    ASSERT_TRUE(e2e::FileExists(e2e::StandInExe())) << e2e::StandInExe();
    EXPECT_TRUE(e2e::LetWineDrawTitleBars());
  }
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new E2eEnvironment);

}  // namespace
