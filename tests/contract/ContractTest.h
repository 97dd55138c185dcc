#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "tests/contract/Binding.h"

namespace rd::contract {

// Every test gets a fresh binding: its own scratch key and folder, removed afterwards.
class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override { b = MakeBinding(); }
  void TearDown() override { b.reset(); }

  std::unique_ptr<Binding> b;
};

}  // namespace rd::contract
