// DetectGame over arbitrary file box texts, typed before or picked in the open dialog.
#include <cstdint>
#include <string>

#include "launcher/MainWindow.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

namespace {

std::string Expected(fakes::FakeFileSystem& files, const std::string& text,
                     const std::string& before) {
  const FindResult found = files.FindFile(text);
  if (found.status == FindStatus::Error) return before;
  if (found.status == FindStatus::Found &&
      util::EqualsNoCase(util::Right(found.name, 4), ".dem")) {
    return "Half-Life";
  }
  const std::string end = util::ToLower(util::Right(text, 6));
  if (end == ".dm_57" || end == ".dm_58" || end == ".dm_59" || end == ".dm_60") return "Return To Castle Wolfenstein";
  if (end == ".dm_66" || end == ".dm_67" || end == ".dm_68") return "Quake 3 Arena";
  return before;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto flags = in.ConsumeIntegral<std::uint8_t>();
  const std::string text = in.ConsumeRemainingBytesAsString();

  fakes::FakePlatform fp;
  fuzz::AddSomeFiles(fp.files);
  fuzz::StoreSetting(fp, catalogue::AlreadyRunValue, "Yes");
  fuzz::NullHost host(fp);
  MainWindow form(fp.ports, host);
  form.Form_Load();
  if (flags & 1) form.cboGame.SetListIndex(-1);
  if (flags & 2) form.cboGame.SetText("Quake 3 Arena");
  const std::string before = form.cboGame.Text();
  const std::string expected = Expected(fp.files, text, before);

  if (flags & 4) {
    fp.dialogs.openResults.push_back(OpenResult{OpenResult::Outcome::Chosen, text});
    form.cmdSelect_Click();
  } else {
    form.txtFilename.SetText(text);
    form.DetectGame();
  }
  RD_FUZZ_CHECK(form.txtFilename.Text() == text);
  RD_FUZZ_CHECK(form.cboGame.Text() == expected);
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  const auto stored = fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                                          std::string(catalogue::DefaultGameValue));
  if (!expected.empty()) RD_FUZZ_CHECK(stored && *stored == expected);
  return 0;
}
