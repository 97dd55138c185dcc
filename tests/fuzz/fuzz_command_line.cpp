// The command-line text, taken whole, from the start of the program through the hand-over
// and, now and then, a press of Play.
#include <cstdint>
#include <string>

#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto flags = in.ConsumeIntegral<std::uint8_t>();

  fakes::FakePlatform fp;
  fuzz::AddSomeFiles(fp.files);
  if (flags & 1) fuzz::StoreSetting(fp, catalogue::AlreadyRunValue, "Yes");
  if (flags & 2) {
    fuzz::StoreSetting(fp, catalogue::DefaultGameValue, in.ConsumeRandomLengthString(64));
    fuzz::StoreSetting(fp, catalogue::LastFilenameValue, in.ConsumeRandomLengthString(260));
  }
  if (flags & 4) fp.dialogs.answers.push_back(answer::No);
  fp.process.commandLine = in.ConsumeRemainingBytesAsString();

  fakes::FakeViewFactory views(fp.log);
  {
    Application app(fp.ports, views);
    app.Main();
    fp.timer.TickAll();
    MainWindow* main = app.MainFormIfLoaded();
    RD_FUZZ_CHECK(main != nullptr);
    RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
    RD_FUZZ_CHECK(fp.process.exitCount == 0);

    // What the file box shows is what the next start comes back to.
    const std::string& shown = main->txtFilename.Text();
    if (!shown.empty()) {
      const auto stored = fp.registry.GetText(regroot::CurrentUser,
                                              std::string(catalogue::SettingsKey),
                                              std::string(catalogue::LastFilenameValue));
      RD_FUZZ_CHECK(stored && *stored == shown);
    }
    // A file box of one of the text-recognised types has selected its game.
    if (!fp.process.commandLine.empty() && shown == fp.process.commandLine &&
        shown.size() >= 6 && fp.files.FindFile(shown).status != FindStatus::Error) {
      const std::string tail = util::ToLower(shown.substr(shown.size() - 6));
      if (tail == ".dm_66") RD_FUZZ_CHECK(main->cboGame.Text() == "Quake 3 Arena");
    }

    if (flags & 8) {
      const std::size_t before = fp.dialogs.messages.size();
      main->cmdBottom_Click(2);
      RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
      // Play either ends the program or says why it did not.
      RD_FUZZ_CHECK(fp.process.exitCount == 1 || fp.dialogs.messages.size() > before);
      // The speed box is never left holding something that is not a number.
      RD_FUZZ_CHECK(util::IsNumeric(main->cboSpeed.Text(), fp.process.numbers));
    }
  }
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  return 0;
}
