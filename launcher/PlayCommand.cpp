#include "launcher/PlayCommand.h"

#include "ports/WinErrors.h"

namespace rd::play {
namespace {

// The leading decimal digits of a text, as a number; 0 without any. Capped so that a
// long run of digits cannot overflow.
int LeadingNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value > 100000000) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool IsSingleFolderName(std::string_view mod) {
  if (mod == "." || mod == "..") return false;
  return mod.find_first_of("\\/:*?\"<>|") == std::string_view::npos;
}

StageResult StageDemo(Ports& ports, const catalogue::Game& game, std::string_view exeFolder,
                      std::string_view mod, const std::string& demoPath) {
  StageResult result;
  const std::string_view extension = catalogue::StagedExtension(game, demoPath);
  result.stagedPath = catalogue::StagedPath(game, exeFolder, mod, extension);
  if (game.demoFolderIsMod && !IsSingleFolderName(mod)) {
    result.error = winerr::InvalidName;  // what Windows itself answers for such a name
    return result;
  }

  const std::string folder = catalogue::DemoFolder(game, exeFolder, mod);
  if (!game.demoFolderIsMod) {
    const std::uint32_t made = ports.files.MakeFolder(folder);
    if (made != 0 && made != static_cast<std::uint32_t>(winerr::AlreadyExists)) {
      result.error = made;
      return result;
    }
  }

  const std::string temporary = folder + "\\~" + catalogue::StagedName(game, extension) + ".tmp";
  std::uint32_t code = ports.files.Copy(demoPath, temporary);
  if (code == 0) {
    const std::string previous = folder + "\\~" + catalogue::StagedName(game, extension) + ".old";
    if (ports.files.Move(result.stagedPath, previous) == 0) result.previous = previous;
    code = ports.files.Move(temporary, result.stagedPath);
    if (code != 0 && !result.previous.empty()) {
      // Put back where the game looks; failing that it stays aside, but it stays.
      ports.files.Move(previous, result.stagedPath);
      result.previous.clear();
    }
  }
  if (code != 0) {
    // Whatever part of the copy was written must not stay behind.
    ports.files.Remove(temporary);
    result.error = code;
    return result;
  }
  result.staged = true;
  // Our own copies under the other extensions: asked for the bare name, an engine plays the
  // first extension it finds, which could be an earlier demo's.
  for (const std::string_view other : catalogue::Extensions(game)) {
    if (other != extension) ports.files.Remove(catalogue::StagedPath(game, exeFolder, mod, other));
  }
  return result;
}

void ReleasePrevious(Ports& ports, const StageResult& staged) {
  if (!staged.previous.empty()) ports.files.Remove(staged.previous);
}

Resolution ParseResolution(std::string_view text) {
  Resolution size;
  const auto x = text.find('x');
  if (x == std::string_view::npos) {
    size.width = LeadingNumber(text);
    return size;
  }
  size.width = LeadingNumber(text.substr(0, x));
  size.height = LeadingNumber(text.substr(x + 1));
  return size;
}

}  // namespace rd::play
