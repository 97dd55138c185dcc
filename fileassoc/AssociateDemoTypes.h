#pragma once
#include <cstdint>

#include "ports/Ports.h"

namespace rd::PathHelpers {

struct AssociationResult {
  bool allWritten = false;  // every entry of the three associations was written
  std::int32_t error = 0;   // Windows' code of the first failure, when there is one
};

// Associates .dem, .dm_57 and .dm_66 with this program, silently.
AssociationResult AssociateDemoTypes(Ports& ports);

}  // namespace rd::PathHelpers
