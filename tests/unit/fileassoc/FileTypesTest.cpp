#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "fileassoc/AssociateDemoTypes.h"
#include "fileassoc/FileTypes.h"
#include "catalogue/GameCatalogue.h"
#include "tests/fakes/FakePorts.h"

namespace rd::FileTypes {
namespace {

using Op = fakes::FakeRegistry::Op;
using Texts = std::vector<std::string>;
using Arrange = std::function<void(fakes::FakePlatform&)>;

Texts Of(const Texts& calls, const std::string& kind) {  // the calls of a kind, in order
  Texts out;
  for (const std::string& line : calls) if (line.rfind(kind, 0) == 0) out.push_back(line);
  return out;
}

const std::string kExe = "C:\\Program Files\\Replaydock\\Replaydock.exe";
const std::string kCommand = "RD.Demo\\shell\\Open\\command", kUser = "Software\\Classes\\";
const std::string kNoKey = "An error occured while attempting to to create a registery key.";
const std::string kNoAccess = "An error occured while attempting to access the registery.";

// The same cases with the message switch on and off.
class Assoc : public ::testing::TestWithParam<bool> {
 protected:
  using S = const std::string&;
  bool Register(const Arrange& arrange, S extension, S exe = kExe, S extra = "", bool writeIcon = true, S icon = "") {
    fp = std::make_unique<fakes::FakePlatform>();
    fp->files.AddFile(kExe);
    arrange(*fp);
    return CreateFileAssociation(fp->ports, extension, "RD.Demo", "Replaydock Demo", "Open", exe,
                                 extra, writeIcon, icon, GetParam());
  }
  Texts Calls(const std::string& kind) const { return Of(fp->registry.Calls(), kind); }
  void Shown(const Texts& texts) const {  // each a critical OK box of this module, if shown
    Texts out;
    for (const auto& m : fp->dialogs.messages) {
      EXPECT_EQ(m.title + std::to_string(m.style), MessageTitle + std::to_string(mb::IconCritical));
      out.push_back(m.text);
    }
    EXPECT_EQ(out, GetParam() ? texts : Texts{});
  }
  std::string Text(const std::string& key, RegKey root = regroot::ClassesRoot) const {
    return fp->registry.GetText(root, key, "").value_or("<absent>");
  }
  std::unique_ptr<fakes::FakePlatform> fp;
};
INSTANTIATE_TEST_SUITE_P(Switch, Assoc, ::testing::Bool());

// The command quoted, so that a path with spaces cannot be taken for a shorter program's; an
// extension another program held is taken over. A value set before its key fails to read back.
TEST_P(Assoc, WritesAQuotedCommandTrimmedArgumentsAndTheIcon) {
  const auto taken = [](auto& p) { p.registry.PutText(regroot::ClassesRoot, ".dem", "", "Other.Demo"); };
  EXPECT_TRUE(Register(taken, "dem", kExe, "  -play  "));
  EXPECT_EQ(Text(".dem") + "|" + Text("RD.Demo") + "|" + Text(kCommand) + "|" + Text("RD.Demo\\DefaultIcon"),
            "RD.Demo|Replaydock Demo|\"" + kExe + "\" -play %1|" + kExe + ",0");
  EXPECT_TRUE(LastError() == 0 && LastWroteAnything() && fp->registry.OpenHandles() == 0);
  Shown({});
  EXPECT_TRUE(Register([](auto&) {}, ".dem", kExe, "", false, "C:\\Icons\\demo.ico"));
  EXPECT_EQ(Calls("create ").size() + Calls("set ").size(), 5u);  // no icon's key nor value
}

TEST_P(Assoc, AnUnusableExecutableOrExtensionStopsBeforeAnyWrite) {
  const auto lost = [](const std::string& e) {
    return "An error occured while attempting to create the file extension '" + e + "'.";
  };
  // A path the file system cannot examine is unexpected; the message names the extension as
  // formed so far. Only the added dot is exempt from the forbidden characters.
  // clang-format off
  std::vector<std::tuple<std::string, std::string, std::int32_t, std::string>> cases = {
      {".dem", "C:\\Games\\missing.exe", 2, "The application path 'C:\\Games\\missing.exe' cannot be found."},
      {"", kExe, 87, lost("")}, {"dem", "C:\\Ga|mes\\name.exe", 123, lost("dem")}};
  // clang-format on
  for (const char c : std::string("\\/:*?<>|\""))
    cases.push_back({std::string("dm.") + c, kExe, 123, std::string("The file extension '.dm.") + c +
                     "' contains an illegal char (\\/:*?<>|\")."});
  for (const auto& [extension, exe, code, message] : cases) {
    EXPECT_FALSE(Register([](auto&) {}, extension, exe)) << extension << " " << exe;
    EXPECT_TRUE(LastError() == code && !LastWroteAnything() && fp->registry.Calls().empty())
        << extension;
    Shown({message});
  }
}

// A failed key step warns and the association goes on below HKEY_CLASSES_ROOT: a key that
// could not be created cannot be opened for its value either; the extension's key refused
// for another reason than rights gets no second try.
TEST_P(Assoc, AFailedStepWarnsAndTheAssociationGoesOn) {
  // clang-format off
  const std::tuple<Op, int, std::int32_t, Texts> cases[] = {
      {Op::Create, 1, 1450, {kNoKey, kNoAccess}}, {Op::Create, 0, 1450, {kNoKey, kNoAccess}},
      {Op::Open, 1, 2, {kNoAccess}}, {Op::Set, 2, 5, {"An error occured while attempting to set key default value."}}};
  // clang-format on
  for (const auto& [op, skip, code, messages] : cases) {
    EXPECT_TRUE(Register([&](auto& p) { p.registry.FailNext(op, code, skip); }, ".dem"));
    EXPECT_EQ(LastError(), code);
    Shown(messages);
    EXPECT_EQ(Calls("open ").back(), "open HKCR\\" + kCommand);  // the last step was still tried
    EXPECT_TRUE(!fp->registry.KeyExists(regroot::CurrentUser, "Software") &&
                fp->registry.OpenHandles() == 0);
  }
}

// A standard user may not write HKEY_CLASSES_ROOT: the per-user classes take the whole
// association, never half of it, without a word. When those are refused too the failure is
// reported, and a key there already still takes its value.
TEST_P(Assoc, ARefusedClassesRootSendsTheWholeAssociationToThePerUserClasses) {
  const Arrange refused = [](auto& p) { p.registry.FailUnder(Op::Create, "HKCR", 5); };
  EXPECT_TRUE(Register([](auto& p) { p.registry.FailNext(Op::Create, 5, 1); }, ".dem"));
  const std::string u = "set HKCU\\" + kUser;
  EXPECT_EQ(Calls("set "), (Texts{u + "RD.Demo\\DefaultIcon\\(default)", u + ".dem\\(default)",
                                  u + "RD.Demo\\(default)", u + kCommand + "\\(default)"}));
  EXPECT_EQ(LastError(), 0);
  Shown({});
  EXPECT_TRUE(Register([&](auto& p) {
    p.registry.PutText(regroot::CurrentUser, kUser + ".dem", "", "Other.Demo");
    refused(p), p.registry.FailUnder(Op::Create, "HKCU", 5);
  }, ".dem"));
  EXPECT_EQ(std::tuple(LastError(), Text(kUser + ".dem", regroot::CurrentUser), fp->registry.OpenHandles()),
            std::tuple(5, "RD.Demo", 0));
}

// The three games' types, silently; the answer true only when everything was
// written, with the first failure's code; the shell told once, after the last write.
TEST(AssociateDemoTypes, RegistersTheThreeTypesAndAnswersHonestly) {
  // clang-format off
  const std::tuple<Arrange, bool, std::int32_t, bool> cases[] = {
      {[](auto&) {}, true, 0, true}, {[](auto& p) { p.registry.FailUnder(Op::Create, "HKCR", 5); }, true, 0, true},
      {[](auto& p) { p.process.exeBaseName = "Replaydock.scr"; }, false, 2, false},
      {[](auto& p) { p.registry.FailUnder(Op::Set, "HKCR", 5); }, false, 5, true},
      {[](auto& p) { p.registry.FailNext(Op::Set, 1450, 0); p.registry.FailNext(Op::Set, 5, 7); }, false, 1450, true},
      {[](auto& p) { p.registry.FailUnder(Op::Create, "HKCR", 5); p.registry.FailUnder(Op::Create, "HKCU", 5); },
       false, 5, false}};
  // clang-format on
  for (const auto& [arrange, allWritten, error, told] : cases) {
    fakes::FakePlatform fp;
    fp.files.AddFile(kExe);
    arrange(fp);
    const PathHelpers::AssociationResult result = PathHelpers::AssociateDemoTypes(fp.ports);
    const auto notices = std::count(fp.log.begin(), fp.log.end(), "shell associations changed");
    EXPECT_EQ(std::tuple(result.allWritten, result.error, notices),
              std::tuple(allWritten, error, told));
    EXPECT_EQ(told, !fp.log.empty() && fp.log.back() == "shell associations changed");
    EXPECT_EQ(fp.registry.KeyExists(regroot::ClassesRoot, ".dm_66") ||
                  fp.registry.KeyExists(regroot::CurrentUser, kUser + ".dm_66"),
              told);  // none stops the rest
    EXPECT_TRUE(fp.dialogs.messages.empty() && fp.registry.OpenHandles() == 0);
    // Every type, the later versions' too; no order of the writes is promised.
    EXPECT_TRUE(!allWritten || Of(fp.registry.Calls(), "create HKCR\\.d").size() == 9u);
  }
}

// Every type gets the per-user play verb, whichever program opens it; a type not associated
// gets none.
TEST(AssociateDemoTypes, EveryTypeGetsThePlayVerbForThisProgram) {
  for (const bool exeThere : {true, false}) {
    fakes::FakePlatform fp;
    if (exeThere) fp.files.AddFile(kExe);
    PathHelpers::AssociateDemoTypes(fp.ports);
    for (const std::string_view ext : catalogue::RegistrationOrder()) {
      const std::string verb =
          kUser + "SystemFileAssociations\\" + std::string(ext) + "\\shell\\Replaydock.Play";
      EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, verb, ""),
                exeThere ? std::optional<std::string>("Play with Replaydock") : std::nullopt);
      EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, verb + "\\command", ""),
                exeThere ? std::optional("\"" + kExe + "\" -play \"%1\"") : std::nullopt);
    }
  }
}

}  // namespace
}  // namespace rd::FileTypes
