#pragma once
#include <cstdint>
#include <string>

#include "ports/Ports.h"

namespace rd::PathHelpers {

struct AssociationResult {
  bool allWritten = false;  // every entry of the three associations was written
  std::int32_t error = 0;   // Windows' code of the first failure, when there is one
};

// This program's own path, as the associations name it.
std::string ProgramPath(Ports& ports);

// Associates .dem, .dm_57 and .dm_66 with this program, silently. A program the shell could
// not start from its path writes nothing and answers winerr::FilenameTooLong.
AssociationResult AssociateDemoTypes(Ports& ports);

}  // namespace rd::PathHelpers
