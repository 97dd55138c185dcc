#pragma once
#include <cstdint>
#include <string>

namespace rd {

using WindowHandle = std::uintptr_t;

namespace showcmd {
inline constexpr int Show = 5;  // SW_SHOW
}

class Shell {
 public:
  virtual ~Shell() = default;

  // ShellExecuteA. operation may be null (the file's default verb). Answers the shell's
  // result: greater than 32 on success.
  virtual std::intptr_t Execute(WindowHandle owner, const char* operation, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int show) = 0;
  // Tells Explorer that file associations changed.
  virtual void NotifyAssociationsChanged() = 0;
};

}  // namespace rd
