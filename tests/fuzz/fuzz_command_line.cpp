// The command-line text, taken whole, from the start of the program through the hand-over
// and, now and then, a press of Play.

#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/fuzz/FuzzSupport.h"
#include "util/Numeric.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto flags = in.ConsumeIntegral<std::uint8_t>();
  fuzz::World w;
  auto& fp = w.fp;
  const std::string key(catalogue::SettingsKey);
  const auto store = [&](auto name, auto text) { fp.registry.PutText(regroot::CurrentUser, key, std::string(name), text); };
  const auto stored = [&](auto name) { return fp.registry.GetText(regroot::CurrentUser, key, std::string(name)); };
  if (flags & 1) store(catalogue::AlreadyRunValue, "Yes");
  if (flags & 2) store(catalogue::DefaultGameValue, in.ConsumeRandomLengthString(64)), store(catalogue::LastFilenameValue, in.ConsumeRandomLengthString(260));
  if (flags & 4) fp.dialogs.answers.push_back(answer::No);
  fp.process.commandLine = in.ConsumeRemainingBytesAsString();
  fakes::FakeViewFactory views(fp.log);
  {
    Application app(fp.ports, views);
    app.Main();
    fp.timer.TickAll();
    MainWindow* main = app.MainFormIfLoaded();
    RD_FUZZ_CHECK(main && fp.registry.OpenHandles() == 0 && fp.process.exitCount == 0);
    // What the file box shows is what the next start comes back to.
    RD_FUZZ_CHECK(main->txtFilename.Text().empty() || stored(catalogue::LastFilenameValue) == main->txtFilename.Text());
    if (flags & 8) {
      const std::size_t before = fp.dialogs.messages.size();
      main->cmdBottom_Click(2);
      // Play either ends the program or says why it did not; the speed is left a number.
      RD_FUZZ_CHECK((fp.process.exitCount == 1 || fp.dialogs.messages.size() > before) &&
                    util::IsNumeric(main->cboSpeed.Text(), fp.process.numbers) && fp.registry.OpenHandles() == 0);
    }
  }
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  return 0;
}
