#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "fileassoc/FileTypes.h"
#include "tests/fakes/FakePorts.h"

namespace rd::FileTypes {
namespace {

using Op = fakes::FakeRegistry::Op;
using Texts = std::vector<std::string>;

const std::string kExe = "C:\\Program Files\\Replaydock\\Replaydock.exe";
const std::string kCommandKey = "RD.Demo\\shell\\Open\\command";
const std::string kNoKey = "An error occured while attempting to to create a registery key.";
const std::string kNoAccess = "An error occured while attempting to access the registery.";

class Assoc : public ::testing::Test {
 protected:
  Assoc() { Fresh(); }
  void Fresh() {
    fp = std::make_unique<fakes::FakePlatform>();
    fp->files.AddFile(kExe);
  }
  bool Register(const std::string& extension, bool messages = true, const std::string& exe = kExe,
                const std::string& extra = "", bool writeIcon = true,
                const std::string& icon = "") {
    return CreateFileAssociation(fp->ports, extension, "RD.Demo", "Replaydock Demo", "Open", exe,
                                 extra, writeIcon, icon, messages);
  }
  // The registry calls of these kinds in order, e.g. "create HKCR\.dem".
  Texts Calls(const Texts& kinds = {"create ", "set "}) const {
    Texts out;
    for (const std::string& line : fp->registry.Calls()) {
      for (const std::string& kind : kinds) {
        if (line.rfind(kind, 0) == 0) out.push_back(line);
      }
    }
    return out;
  }
  // The texts of the boxes shown, each of which must be a critical OK box of this module.
  Texts Messages() const {
    Texts out;
    for (const auto& m : fp->dialogs.messages) {
      EXPECT_EQ(m.title, "DLL/OCX Register") << m.text;
      EXPECT_EQ(m.style, mb::OK | mb::IconCritical) << m.text;
      out.push_back(m.text);
    }
    return out;
  }
  std::string Text(const std::string& key, RegKey root = regroot::ClassesRoot) const {
    return fp->registry.GetText(root, key, "").value_or("<absent>");
  }

  std::unique_ptr<fakes::FakePlatform> fp;
};

// The same cases with the message switch on and off.
class AssocMessages : public Assoc, public ::testing::WithParamInterface<bool> {
 protected:
  Texts Shown(Texts texts) const { return GetParam() ? texts : Texts{}; }
};
INSTANTIATE_TEST_SUITE_P(Switch, AssocMessages, ::testing::Bool());

TEST_F(Assoc, WritesTheLayoutWithAQuotedCommandAndTakesTheExtensionOver) {
  fp->registry.PutText(regroot::ClassesRoot, ".dem", "", "Other.Demo");
  fp->registry.PutText(regroot::ClassesRoot, "Other.Demo\\shell\\open\\command", "", "other %1");
  EXPECT_TRUE(Register("dem"));
  // Keys are created before their values are set.
  EXPECT_EQ(Calls(),
            (Texts{"create HKCR\\.dem", "create HKCR\\" + kCommandKey,
                   "create HKCR\\RD.Demo\\DefaultIcon", "set HKCR\\RD.Demo\\DefaultIcon\\(default)",
                   "set HKCR\\.dem\\(default)", "set HKCR\\RD.Demo\\(default)",
                   "set HKCR\\" + kCommandKey + "\\(default)"}));
  EXPECT_EQ(Text("RD.Demo"), "Replaydock Demo");
  EXPECT_EQ(Text(kCommandKey), "\"" + kExe + "\" %1");
  EXPECT_EQ(Text("RD.Demo\\DefaultIcon"), kExe + ",0");
  EXPECT_EQ(fp->registry.Get(regroot::ClassesRoot, ".dem", "")->type, regtype::Sz);
  EXPECT_EQ(fp->registry.Get(regroot::ClassesRoot, ".dem", "")->data,
            (std::vector<std::uint8_t>{'R', 'D', '.', 'D', 'e', 'm', 'o', 0}));
  EXPECT_EQ(Text("Other.Demo\\shell\\open\\command"), "other %1");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(LastError(), 0);
  EXPECT_TRUE(LastWroteAnything());
  EXPECT_EQ(fp->registry.OpenHandles(), 0);
}

TEST_P(AssocMessages, AnUnusableExecutableOrExtensionStopsBeforeAnyWrite) {
  fp->files.AddFolder("C:\\Games\\folder.exe");
  fp->files.AddDrive('E', false);
  const std::string lost = "An error occured while attempting to create the file extension '";
  // Extension, executable, code, message. A path the file system cannot examine, or on a
  // drive that is not ready, is unexpected; the message names the extension as formed so far.
  std::vector<std::tuple<std::string, std::string, std::int32_t, std::string>> cases;
  for (const std::string exe :
       {"C:\\Games\\missing.exe", "C:\\Games\\folder.exe", "C:\\No Such Folder\\x.exe"}) {
    cases.push_back({".dem", exe, 2, "The application path '" + exe + "' cannot be found."});
  }
  for (const char c : std::string("\\/:*?<>|\"")) {
    cases.push_back({std::string("dm") + c + "x", kExe, 123,
                     std::string("The file extension '.dm") + c +
                         "x' contains an illegal char (\\/:*?<>|\")."});
  }
  cases.push_back({"", kExe, 87, lost + "'."});
  cases.push_back({"dem", "C:\\Ga|mes\\name.exe", 123, lost + "dem'."});
  cases.push_back({".dm_57", "E:\\quake3.exe", 21, lost + ".dm_57'."});
  Texts texts;
  for (const auto& [extension, exe, code, message] : cases) {
    EXPECT_FALSE(Register(extension, GetParam(), exe)) << extension << " " << exe;
    EXPECT_EQ(LastError(), code) << extension << " " << exe;
    EXPECT_FALSE(LastWroteAnything());
    texts.push_back(message);
  }
  EXPECT_EQ(Messages(), Shown(texts));
  EXPECT_TRUE(Calls().empty());
  // Only the added dot is exempt; a second dot is an ordinary character.
  EXPECT_TRUE(Register(".dm.x", GetParam()));
  EXPECT_EQ(Messages(), Shown(texts));
}

TEST_F(Assoc, ExtraArgumentsAndTheIconLoseTheirOuterSpaces) {
  const std::pair<std::string, std::string> cases[] = {
      {"  -play  ", " -play"}, {" -a  -b ", " -a  -b"}, {"\t-x", " \t-x"}, {"", ""}};
  for (const auto& [extra, shown] : cases) {
    EXPECT_TRUE(Register(".dem", true, kExe, extra));
    EXPECT_EQ(Text(kCommandKey), "\"" + kExe + "\"" + shown + " %1") << extra;
  }
  EXPECT_TRUE(Register(".dem", true, kExe, "", true, "  C:\\Icons\\demo.ico,2  "));
  EXPECT_EQ(Text("RD.Demo\\DefaultIcon"), "C:\\Icons\\demo.ico,2");

  Fresh();
  EXPECT_TRUE(Register(".dem", true, kExe, "", false, "C:\\Icons\\demo.ico"));
  EXPECT_EQ(Calls().size(), 5u);  // neither the icon's key nor its value
}

TEST_P(AssocMessages, AFailedKeyStepWarnsAndTheAssociationGoesOn) {
  // A key that could not be created cannot be opened for its value either. The extension's
  // key refused for another reason than rights gets no second try.
  // clang-format off
  const std::tuple<Op, int, std::int32_t, Texts> cases[] = {
      {Op::Create, 1, 1450, {kNoKey, kNoAccess}}, {Op::Create, 0, 1450, {kNoKey, kNoAccess}},
      {Op::Open, 1, 2, {kNoAccess}},
      {Op::Set, 2, 5, {"An error occured while attempting to set key default value."}}};
  // clang-format on
  for (const auto& [op, skip, code, messages] : cases) {
    SCOPED_TRACE(code);
    Fresh();
    fp->registry.FailNext(op, code, skip);
    EXPECT_TRUE(Register(".dem", GetParam()));
    EXPECT_EQ(LastError(), code);
    EXPECT_EQ(Messages(), Shown(messages));
    // The last step was still tried, below HKEY_CLASSES_ROOT.
    EXPECT_EQ(Calls({"open "}).back(), "open HKCR\\" + kCommandKey);
    EXPECT_TRUE(fp->registry.Keys(regroot::CurrentUser).empty());
    EXPECT_EQ(fp->registry.OpenHandles(), 0);
  }
}

TEST_F(Assoc, RefusedClassesRootFallsBackToThePerUserClassesSilently) {
  fp->registry.FailUnder(Op::Create, "HKCR", 5);
  EXPECT_TRUE(Register(".dem", true, kExe, " -x "));
  // Only the first key was tried below HKEY_CLASSES_ROOT: any other step there would fail.
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(Text("Software\\Classes\\.dem", regroot::CurrentUser), "RD.Demo");
  EXPECT_EQ(Text("Software\\Classes\\" + kCommandKey, regroot::CurrentUser),
            "\"" + kExe + "\" -x %1");

  // The extension's key let through (the user's own classes hold it) but the identifier's
  // refused: the whole association goes to the per-user classes, never half of it.
  Fresh();
  fp->registry.FailNext(Op::Create, 5, 1);
  EXPECT_TRUE(Register(".dem", true));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(Calls({"set "}),
            (Texts{"set HKCU\\Software\\Classes\\RD.Demo\\DefaultIcon\\(default)",
                   "set HKCU\\Software\\Classes\\.dem\\(default)",
                   "set HKCU\\Software\\Classes\\RD.Demo\\(default)",
                   "set HKCU\\Software\\Classes\\" + kCommandKey + "\\(default)"}));
  EXPECT_EQ(Text("Software\\Classes\\RD.Demo", regroot::CurrentUser), "Replaydock Demo");
  EXPECT_EQ(fp->registry.OpenHandles(), 0);

  // When those are refused too the failure is reported, and a key there already still
  // takes its value.
  Fresh();
  fp->registry.PutText(regroot::CurrentUser, "Software\\Classes\\.dem", "", "Other.Demo");
  fp->registry.FailUnder(Op::Create, "HKCR", 5);
  fp->registry.FailUnder(Op::Create, "HKCU", 5);
  EXPECT_TRUE(Register(".dem", false));
  EXPECT_EQ(LastError(), 5);
  EXPECT_EQ(Text("Software\\Classes\\.dem", regroot::CurrentUser), "RD.Demo");
  EXPECT_TRUE(LastWroteAnything());
  EXPECT_EQ(fp->registry.OpenHandles(), 0);
}

TEST_P(AssocMessages, TheKeyRoutinesFollowTheSwitchOfTheLastAssociation) {
  EXPECT_FALSE(Register("a|b", GetParam()));
  fp->dialogs.messages.clear();
  // Values are only ever set in keys that exist: the set routine never creates one.
  EXPECT_FALSE(SetKeyDefaultValue(fp->ports, regroot::ClassesRoot, "NoSuch.Key", "x"));
  fp->registry.FailNext(Op::Create, 5);
  EXPECT_FALSE(CreateRegistryKey(fp->ports, regroot::ClassesRoot, "Some.Key"));
  EXPECT_EQ(Messages(), Shown({kNoAccess, kNoKey}));
  // Both ask for the six specific rights, as every step of an association does.
  EXPECT_TRUE(CreateRegistryKey(fp->ports, regroot::ClassesRoot, "Some.Key"));
  EXPECT_EQ(fp->registry.LastAccess(), regaccess::AllSpecific);
  EXPECT_TRUE(SetKeyDefaultValue(fp->ports, regroot::ClassesRoot, "Some.Key", "v"));
  EXPECT_EQ(fp->registry.LastAccess(), regaccess::AllSpecific);
  EXPECT_EQ(fp->registry.OpenHandles(), 0);
}

}  // namespace
}  // namespace rd::FileTypes
