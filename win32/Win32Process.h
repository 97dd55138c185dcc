#pragma once
#include <string>
#include <string_view>

#include "ports/ProcessInfo.h"

namespace rd::win32 {

// A command line without the program's own name (quoted or not) and the blanks after it.
std::string ArgumentText(std::string_view commandLine);

class Win32Process final : public ProcessInfo {
 public:
  std::string CommandLineText() override;
  std::string ExeFolder() override;
  std::string ExeBaseName() override;
  ProgramVersion Version() override;
  NumberFormat Numbers() override;
  std::string ErrorText(std::uint32_t code) override;
  std::string ChangeCase(const std::string& utf8, bool upper) override;
  std::string UserFolderPath(UserFolder which) override;
  bool ProcessAlive(std::uint32_t pid) override;
  void Exit(int code) override;
};

}  // namespace rd::win32
