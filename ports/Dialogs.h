#pragma once
#include <cstdint>
#include <string>

namespace rd {

// MessageBox styles and answers, Windows' own values.
namespace mb {
inline constexpr unsigned OK = 0x0;
inline constexpr unsigned YesNoCancel = 0x3;
inline constexpr unsigned YesNo = 0x4;
inline constexpr unsigned IconCritical = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconExclamation = 0x30;
inline constexpr unsigned IconInformation = 0x40;
inline constexpr unsigned DefButton1 = 0x0;
}  // namespace mb

namespace answer {
inline constexpr int None = 0;  // the box could not be shown
inline constexpr int OK = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace answer

// The program's title, carried by every message box that is given no title of its own.
inline constexpr const char* AppTitle = "Replaydock";

struct OpenRequest {
  std::string title;
  std::string filter;    // "Label|pattern;pattern|Label|pattern"
  std::string fileName;  // where the dialog starts: the file chosen at its previous opening
};

struct OpenResult {
  enum class Outcome { Chosen, Cancelled, Failed } outcome = Outcome::Cancelled;
  std::string path;  // the full path chosen
};

struct FolderResult {
  enum class Outcome { Chosen, Cancelled, Failed } outcome = Outcome::Cancelled;
  std::string path;  // the folder chosen, without a trailing backslash
};

// Modal message boxes, the open-file dialog and the folder picker; the adapter owns them by the active window.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  virtual int ShowMessage(const std::string& text, const std::string& title, unsigned style) = 0;
  virtual OpenResult ShowOpen(const OpenRequest& request) = 0;
  // A file-system folder picked, under this title.
  virtual FolderResult ShowFolder(const std::string& title) = 0;
};

}  // namespace rd
