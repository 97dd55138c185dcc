#pragma once
#include <cstdint>
#include <string>

namespace rd {

struct ProgramVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// How the user's locale writes numbers.
struct NumberFormat {
  std::string decimal = ".";
  std::string thousands = ",";
};

// The user's own folders the games keep their files in.
enum class UserFolder {
  RoamingAppData,  // %APPDATA%
  LocalAppData,    // %LOCALAPPDATA%: Windows' VirtualStore lives there
  Documents,
};

// Facts about the running process and the others, and ending it.
class ProcessInfo {
 public:
  virtual ~ProcessInfo() = default;

  // The argument text after the program's own name, leading blanks removed; "" without one.
  virtual std::string CommandLineText() = 0;
  // The running executable's folder (no trailing backslash) and its name without extension.
  virtual std::string ExeFolder() = 0;
  virtual std::string ExeBaseName() = 0;
  virtual ProgramVersion Version() = 0;
  virtual NumberFormat Numbers() = 0;
  // The system's description of a Windows error code, without a trailing line break.
  virtual std::string ErrorText(std::uint32_t code) = 0;
  // The text with every letter in upper or lower case, as the platform maps the case of
  // every script (UTF-8 in and out; one character never becomes two).
  virtual std::string ChangeCase(const std::string& utf8, bool upper) = 0;
  // The folder's full path without a trailing backslash; "" when the system names none.
  virtual std::string UserFolderPath(UserFolder which) = 0;
  // Whether a process of this id is running now (0 never is).
  virtual bool ProcessAlive(std::uint32_t pid) = 0;
  // Ends the process at once.
  virtual void Exit(int code) = 0;
};

}  // namespace rd
