// Staging a demo (the play command's own code) against CopyFileA of the same file over the
// copy made before, in the same run; then a whole Play, from the click to the stand-in game
// running, against CopyFileA + ShellExecuteA of the same game.
// bench_staging FOLDER SIZE_MB...   (FOLDER: a Windows path; files are made and removed there;
// bench_game.exe, the stand-in game, lies beside this program)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench/Timing.h"
#include "forms/Host.h"
#include "catalogue/GameCatalogue.h"
#include "launcher/MainWindow.h"
#include "launcher/PlayCommand.h"
#include "settings/SettingsStore.h"
#include "win32/Win32Ports.h"

namespace {

bool MakeDemo(const std::string& path, unsigned long long bytes) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  bool ok = true;
  for (unsigned long long done = 0; ok && done < bytes;) {
    const DWORD n = static_cast<DWORD>(std::min<unsigned long long>(block.size(), bytes - done));
    DWORD written = 0;
    ok = WriteFile(f, block.data(), n, &written, nullptr) && written == n;
    done += n;
  }
  CloseHandle(f);
  return ok;
}

// Waits until what was written to the file is on disk, so that the next round starts from
// the same quiet disk whichever copy it times: otherwise the one that runs while a gigabyte
// is still being written back pays for it.
void Settle(const std::string& path) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(f);
  CloseHandle(f);
}

std::string OwnFolder() {
  std::vector<char> path(32768);
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  const std::string text(path.data(), n);
  return text.substr(0, text.find_last_of('\\'));
}

// The main window without a window: Play ends nothing here.
struct BenchHost final : rd::AppHost {
  void ShowMain() override {}
  void HideMain() override {}
  void EndProgram() override {}
  void ShowConfigModal() override {}
  void CloseConfig() override {}
  void HandOver() override {}
};

// The file system port, timing each call of StageDemo by kind: where its time goes.
class TimedFiles final : public rd::FileSystem {
 public:
  explicit TimedFiles(rd::FileSystem& inner) : inner_(inner) {}
  enum Kind { kMkdir, kCopy, kMove, kRemove, kOther, kKinds };
  double spent[kKinds] = {};
  int calls[kKinds] = {};

  rd::FindResult FindFile(const std::string& p) override {
    return Timed(kOther, [&] { return inner_.FindFile(p); });
  }
  rd::FindResult FindEntry(const std::string& p) override {
    return Timed(kOther, [&] { return inner_.FindEntry(p); });
  }
  std::uint32_t MakeFolder(const std::string& p) override {
    return Timed(kMkdir, [&] { return inner_.MakeFolder(p); });
  }
  std::uint32_t Copy(const std::string& a, const std::string& b) override {
    return Timed(kCopy, [&] { return inner_.Copy(a, b); });
  }
  std::uint32_t Move(const std::string& a, const std::string& b) override {
    return Timed(kMove, [&] { return inner_.Move(a, b); });
  }
  std::uint32_t Remove(const std::string& p) override {
    return Timed(kRemove, [&] { return inner_.Remove(p); });
  }
  std::uint32_t ReadBytes(const std::string& p, std::uint64_t o, std::size_t n,
                          std::string& b) override {
    return Timed(kOther, [&] { return inner_.ReadBytes(p, o, n, b); });
  }
  std::uint32_t Facts(const std::string& p, rd::FileFacts& f) override {
    return Timed(kOther, [&] { return inner_.Facts(p, f); });
  }
  std::uint32_t WriteFile(const std::string& p, const std::string& b) override {
    return Timed(kOther, [&] { return inner_.WriteFile(p, b); });
  }
  std::uint32_t ListFolder(const std::string& p, std::vector<rd::FolderEntry>& e) override {
    return Timed(kOther, [&] { return inner_.ListFolder(p, e); });
  }

 private:
  template <typename Call>
  decltype(std::declval<Call>()()) Timed(Kind kind, Call call) {
    const double t0 = bench::NowMs();
    auto result = call();
    spent[kind] += bench::NowMs() - t0;
    ++calls[kind];
    return result;
  }
  rd::FileSystem& inner_;
};

struct Figures {
  std::vector<double> ours, floor;
  double Ratio() const { return bench::Median(floor) / bench::Median(ours); }
  // The spread of the round by round ratios, which a busy machine moves far less than the times.
  std::pair<double, double> Spread() const {
    std::vector<double> r;
    for (std::size_t i = 0; i < ours.size() && i < floor.size(); ++i) {
      r.push_back(floor[i] / ours[i]);
    }
    std::sort(r.begin(), r.end());
    return r.empty() ? std::pair{0.0, 0.0} : std::pair{r.front(), r.back()};
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_staging FOLDER SIZE_MB...\n");
    return 2;
  }
  const std::string folder = argv[1];
  rd::win32::Win32Platform platform;
  rd::Ports& ports = platform.ports;
  const rd::catalogue::Game& q3 = *rd::catalogue::FindByName("Quake 3 Arena");
  const std::string exeFolder = folder + "\\Quake III Arena";
  const std::string game = exeFolder + "\\quake3.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(exeFolder.c_str(), nullptr);
  CreateDirectoryA((exeFolder + "\\baseq3").c_str(), nullptr);
  const std::string demo = folder + "\\demo.dm_66";
  const std::string plain = folder + "\\copy.dm_66";
  const std::string started = exeFolder + "\\started.txt";
  const std::string staged = rd::catalogue::StagedPath(q3, exeFolder, "");
  const std::string plainBeside = staged.substr(0, staged.find_last_of('\\')) + "\\copy.dm_66";
  if (!CopyFileA((OwnFolder() + "\\bench_game.exe").c_str(), game.c_str(), FALSE)) {
    std::printf("staging: the stand-in game bench_game.exe is missing beside this program\n");
    return 1;
  }

  // The real main window's Play, on the real adapters, after its first run.
  const std::string root(rd::catalogue::SettingsRoot), key(rd::catalogue::SettingsKey);
  rd::SettingsStore::WriteValue(ports, root, key, std::string(rd::catalogue::AlreadyRunValue), "S",
                                rd::SettingValue("Yes"));
  rd::SettingsStore::WriteValue(ports, root, key, std::string(q3.locationValue), "S",
                                rd::SettingValue(game));
  BenchHost host;
  rd::MainWindow form(ports, host);
  form.Form_Load();

  int status = 0;
  for (int a = 2; a < argc; ++a) {
    const unsigned long long mb = std::strtoull(argv[a], nullptr, 10);
    if (!MakeDemo(demo, mb << 20)) {
      std::printf("staging %llu MB: could not write the demo (disk full?)\n", mb);
      status = 1;
      continue;
    }
    Settle(demo);
    const int rounds = mb >= 1000 ? 6 : mb >= 100 ? 9 : 41;
    Figures copy, play;
    std::vector<double> fresh, release;
    bool ok = true;
    // The two take turns going first, so that neither always pays for the other's pages
    // still being written back.
    const auto stage = [&] {
      const double t0 = bench::NowMs();
      const rd::play::StageResult result = rd::play::StageDemo(ports, q3, game, "", demo);
      copy.ours.push_back(bench::NowMs() - t0);
      ok = result.staged && ok;
      // What Play does once the game has been started.
      const double t1 = bench::NowMs();
      rd::play::ReleasePrevious(ports, result);
      release.push_back(bench::NowMs() - t1);
      Settle(staged);
    };
    const auto copyOver = [&] {
      const double t0 = bench::NowMs();
      ok = CopyFileA(demo.c_str(), plain.c_str(), FALSE) && ok;
      copy.floor.push_back(bench::NowMs() - t0);
      Settle(plain);
    };
    // A second reference: CopyFileA to a name that does not exist yet, as the staging copy's
    // temporary file does not.
    const std::string freshName = folder + "\\fresh.dm_66";
    const auto copyFresh = [&] {
      DeleteFileA(freshName.c_str());
      const double t0 = bench::NowMs();
      ok = CopyFileA(demo.c_str(), freshName.c_str(), FALSE) && ok;
      fresh.push_back(bench::NowMs() - t0);
      Settle(freshName);
    };
    for (int r = 0; r < rounds && ok; ++r) {
      switch (r % 3) {
        case 0: stage(); copyOver(); copyFresh(); break;
        case 1: copyOver(); copyFresh(); stage(); break;
        default: copyFresh(); stage(); copyOver(); break;
      }
    }
    DeleteFileA(freshName.c_str());

    // Apart from the rounds above, so that the timing of each call does not weigh on them.
    TimedFiles timed(ports.files);
    rd::Ports timedPorts{ports.registry, ports.ini,     timed,       ports.shell,
                         ports.dialogs,  ports.process, ports.timer, ports.background, ports.notices,
                         ports.mainWindowOwner};
    for (int r = 0; r < rounds && ok; ++r) {
      const rd::play::StageResult result =
          rd::play::StageDemo(timedPorts, q3, game, "", demo);
      ok = result.staged && ok;
      rd::play::ReleasePrevious(ports, result);
      CopyFileA(demo.c_str(), plain.c_str(), FALSE);  // the same writing back to compete with
    }

    // Play as the user feels it, against copying and starting the game by hand.
    form.txtFilename.UserEdited(demo);
    const auto& games = form.cboGame.Items();
    form.cboGame.UserSelected(
        static_cast<int>(std::find(games.begin(), games.end(), q3.displayName) - games.begin()));
    form.cboMod.UserEdited("");
    const auto press = [&] {
      const double t0 = bench::NowMs();
      form.cmdBottom[2].UserClicked();
      const double t1 = bench::GameStart(started);
      ok = t1 >= 0 && ok;
      play.ours.push_back(t1 - t0);
    };
    const auto byHand = [&] {
      const double t0 = bench::NowMs();
      ok = CopyFileA(demo.c_str(), plainBeside.c_str(), FALSE) && ok;
      ShellExecuteA(nullptr, nullptr, game.c_str(), " +demo replaydock", exeFolder.c_str(),
                    SW_SHOW);
      const double t1 = bench::GameStart(started);
      ok = t1 >= 0 && ok;
      play.floor.push_back(t1 - t0);
    };
    const int plays = mb >= 1000 ? 3 : 7;
    for (int r = 0; r < plays && ok; ++r) {
      if (r % 2) {
        byHand();
        press();
      } else {
        press();
        byHand();
      }
    }

    if (!ok) {
      std::printf("staging %llu MB: a copy or a start failed (error %lu)\n", mb, GetLastError());
      status = 1;
    } else {
      const double a1 = bench::Median(copy.ours), b1 = bench::Median(copy.floor);
      const double c1 = bench::Median(fresh);
      const auto [low, high] = copy.Spread();
      std::printf("staging %llu MB: StageDemo %.1f ms (%.0f MB/s), CopyFileA over the old copy "
                  "%.1f ms (%.0f MB/s), throughput ratio %.2fx (goal >= 0.95x) [median of %d; "
                  "rounds %.2f-%.2fx]\n",
                  mb, a1, mb / a1 * 1000.0, b1, mb / b1 * 1000.0, copy.Ratio(), rounds, low, high);
      std::printf("staging %llu MB: CopyFileA to a new file %.1f ms (%.0f MB/s), StageDemo ratio "
                  "to it %.2fx; the copy staged before is removed once the game runs, %.1f ms\n",
                  mb, c1, mb / c1 * 1000.0, c1 / a1, bench::Median(release));
      const char* names[] = {"folder", "copy", "renames", "removals", "other"};
      std::printf("staging %llu MB: where StageDemo's time goes, per staging:", mb);
      for (int k = 0; k < TimedFiles::kKinds; ++k) {
        if (timed.calls[k]) {
          std::printf(" %s %.2f ms (%d)", names[k], timed.spent[k] / rounds,
                      timed.calls[k] / rounds);
        }
      }
      std::printf("\n");
      const auto [playLow, playHigh] = play.Spread();
      std::printf("play %llu MB: Play to the stand-in game running %.0f ms, CopyFileA + "
                  "ShellExecuteA %.0f ms, ratio %.2fx [median of %d; rounds %.2f-%.2fx]\n",
                  mb, bench::Median(play.ours), bench::Median(play.floor), play.Ratio(), plays,
                  playLow, playHigh);
    }
    DeleteFileA(plain.c_str());
    DeleteFileA(plainBeside.c_str());
    DeleteFileA(staged.c_str());
    DeleteFileA(demo.c_str());
  }
  return status;
}
