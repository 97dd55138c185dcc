#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileassoc/modFileAssoc.h"
#include "tests/fakes/FakePorts.h"

namespace rd::modFileAssoc {
namespace {

using fakes::FakeRegistry;

const std::string kExe = "C:\\Program Files\\Replaydock\\Replaydock.exe";
constexpr unsigned kErrorStyle = mb::OK | mb::IconCritical;

class CreateFileAssociationTest : public ::testing::Test {
 protected:
  CreateFileAssociationTest() { fp.files.AddFile(kExe); }

  bool Register(const std::string& extension, bool messages, const std::string& exe = kExe,
                const std::string& extra = "", bool writeIcon = true,
                const std::string& icon = "") {
    return CreateFileAssociation(fp.ports, extension, "RD.Demo", "Replaydock Demo", "Open", exe,
                                 extra, writeIcon, icon, messages);
  }

  // The registry writes in order: "create HKCR\..." and "set HKCR\...\(default)".
  std::vector<std::string> Writes() const {
    std::vector<std::string> out;
    for (const std::string& line : fp.registry.Calls()) {
      if (line.rfind("create ", 0) == 0 || line.rfind("set ", 0) == 0) out.push_back(line);
    }
    return out;
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : fp.dialogs.messages) out.push_back(m.text);
    return out;
  }

  std::string Text(RegKey root, const std::string& key) const {
    return fp.registry.GetText(root, key, "").value_or("<absent>");
  }

  fakes::FakePlatform fp;
};

TEST_F(CreateFileAssociationTest, WritesTheLayoutWithAQuotedCommandAndCreatesBeforeSetting) {
  EXPECT_TRUE(Register(".dem", true));

  EXPECT_EQ(Writes(), (std::vector<std::string>{
                          "create HKCR\\.dem",
                          "create HKCR\\RD.Demo\\shell\\Open\\command",
                          "create HKCR\\RD.Demo\\DefaultIcon",
                          "set HKCR\\RD.Demo\\DefaultIcon\\(default)",
                          "set HKCR\\.dem\\(default)",
                          "set HKCR\\RD.Demo\\(default)",
                          "set HKCR\\RD.Demo\\shell\\Open\\command\\(default)",
                      }));
  EXPECT_EQ(Text(regroot::ClassesRoot, ".dem"), "RD.Demo");
  EXPECT_EQ(Text(regroot::ClassesRoot, "RD.Demo"), "Replaydock Demo");
  EXPECT_EQ(Text(regroot::ClassesRoot, "RD.Demo\\shell\\Open\\command"),
            "\"C:\\Program Files\\Replaydock\\Replaydock.exe\" %1");
  EXPECT_EQ(Text(regroot::ClassesRoot, "RD.Demo\\DefaultIcon"),
            "C:\\Program Files\\Replaydock\\Replaydock.exe,0");
  // REG_SZ with its terminating zero counted in the size.
  const auto value = fp.registry.Get(regroot::ClassesRoot, ".dem", "");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, regtype::Sz);
  EXPECT_EQ(value->data, (std::vector<std::uint8_t>{'R', 'D', '.', 'D', 'e', 'm', 'o', 0}));
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(LastError(), 0);
  EXPECT_TRUE(LastWroteAnything());
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(CreateFileAssociationTest, AnExtensionWithoutItsDotGetsOne) {
  EXPECT_TRUE(Register("dm_66", true));
  EXPECT_EQ(Text(regroot::ClassesRoot, ".dm_66"), "RD.Demo");
  EXPECT_FALSE(fp.registry.KeyExists(regroot::ClassesRoot, "dm_66"));
}

TEST_F(CreateFileAssociationTest, AMissingExecutableStopsBeforeAnyWrite) {
  for (const bool messages : {true, false}) {
    SCOPED_TRACE(messages);
    fp.dialogs.messages.clear();
    fp.files.AddFolder("C:\\Games\\folder.exe");
    for (const std::string& exe :
         {std::string("C:\\Games\\missing.exe"), std::string("C:\\Games\\folder.exe"),
          std::string("C:\\No Such Folder\\x.exe")}) {
      EXPECT_FALSE(Register(".dem", messages, exe));
      EXPECT_EQ(LastError(), 2);
      EXPECT_FALSE(LastWroteAnything());
    }
    if (messages) {
      EXPECT_EQ(MessageTexts(),
                (std::vector<std::string>{
                    "The application path 'C:\\Games\\missing.exe' cannot be found.",
                    "The application path 'C:\\Games\\folder.exe' cannot be found.",
                    "The application path 'C:\\No Such Folder\\x.exe' cannot be found.",
                }));
      for (const auto& m : fp.dialogs.messages) {
        EXPECT_EQ(m.title, "DLL/OCX Register");
        EXPECT_EQ(m.style, kErrorStyle);
      }
    } else {
      EXPECT_TRUE(fp.dialogs.messages.empty());
    }
  }
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(fp.registry.Keys(regroot::ClassesRoot).empty());
}

TEST_F(CreateFileAssociationTest, EveryForbiddenCharacterStopsBeforeAnyWrite) {
  const std::string forbidden = "\\/:*?<>|\"";
  for (const bool messages : {true, false}) {
    for (const char c : forbidden) {
      SCOPED_TRACE(std::string(1, c) + (messages ? " on" : " off"));
      fp.dialogs.messages.clear();
      EXPECT_FALSE(Register(std::string("dm") + c + "x", messages));
      EXPECT_EQ(LastError(), 123);
      if (messages) {
        ASSERT_EQ(fp.dialogs.messages.size(), 1u);
        EXPECT_EQ(fp.dialogs.messages[0].text, std::string("The file extension '.dm") + c +
                                                   "x' contains an illegal char (\\/:*?<>|\").");
        EXPECT_EQ(fp.dialogs.messages[0].title, "DLL/OCX Register");
        EXPECT_EQ(fp.dialogs.messages[0].style, kErrorStyle);
      } else {
        EXPECT_TRUE(fp.dialogs.messages.empty());
      }
    }
  }
  EXPECT_TRUE(Writes().empty());
  // Only the added dot is exempt; a second dot is an ordinary character.
  EXPECT_TRUE(Register(".dm.x", true));
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

TEST_F(CreateFileAssociationTest, UnexpectedErrorsNameTheExtensionAsFarAsItWasFormed) {
  // An empty extension, and an executable path the file system cannot examine at all.
  fp.files.AddDrive('E', false);
  struct Case {
    std::string extension;
    std::string exe;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"", kExe, ""},
      {"dem", "C:\\Ga|mes\\name.exe", "dem"},
      {".dm_57", "E:\\quake3.exe", ".dm_57"},
  };
  for (const bool messages : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.exe + (messages ? " on" : " off"));
      fp.dialogs.messages.clear();
      EXPECT_FALSE(Register(c.extension, messages, c.exe));
      EXPECT_NE(LastError(), 0);
      if (messages) {
        ASSERT_EQ(fp.dialogs.messages.size(), 1u);
        EXPECT_EQ(
            fp.dialogs.messages[0].text,
            "An error occured while attempting to create the file extension '" + c.shown + "'.");
        EXPECT_EQ(fp.dialogs.messages[0].title, "DLL/OCX Register");
        EXPECT_EQ(fp.dialogs.messages[0].style, kErrorStyle);
      } else {
        EXPECT_TRUE(fp.dialogs.messages.empty());
      }
    }
  }
  EXPECT_TRUE(Writes().empty());
}

TEST_F(CreateFileAssociationTest, ExtraArgumentsLoseTheirOuterSpacesOnly) {
  struct Case {
    std::string extra;
    std::string command;
  };
  const std::vector<Case> cases = {
      {"  -play  ", "\"" + kExe + "\" -play %1"},
      {" -a  -b ", "\"" + kExe + "\" -a  -b %1"},
      {"\t-x", "\"" + kExe + "\" \t-x %1"},
      {"", "\"" + kExe + "\" %1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    EXPECT_TRUE(Register(".dem", true, kExe, c.extra));
    EXPECT_EQ(Text(regroot::ClassesRoot, "RD.Demo\\shell\\Open\\command"), c.command);
  }
}

TEST_F(CreateFileAssociationTest, TheIconEntryIsTrimmedAndLeftOutWhenNotWanted) {
  EXPECT_TRUE(Register(".dem", true, kExe, "", true, "  C:\\Icons\\demo.ico,2  "));
  EXPECT_EQ(Text(regroot::ClassesRoot, "RD.Demo\\DefaultIcon"), "C:\\Icons\\demo.ico,2");

  fakes::FakePlatform fresh;
  fresh.files.AddFile(kExe);
  EXPECT_TRUE(CreateFileAssociation(fresh.ports, ".dem", "RD.Demo", "Replaydock Demo", "Open", kExe,
                                    "", false, "C:\\Icons\\demo.ico", true));
  EXPECT_FALSE(fresh.registry.KeyExists(regroot::ClassesRoot, "RD.Demo\\DefaultIcon"));
  for (const std::string& line : fresh.registry.Calls()) {
    EXPECT_EQ(line.find("DefaultIcon"), std::string::npos) << line;
  }
  EXPECT_EQ(fresh.registry.GetText(regroot::ClassesRoot, "RD.Demo\\shell\\Open\\command", ""),
            "\"" + kExe + "\" %1");
}

TEST_F(CreateFileAssociationTest, AFailedKeyStepWarnsWhenAskedAndTheAssociationGoesOn) {
  struct Case {
    FakeRegistry::Op op;
    int skip;
    std::int32_t code;
    std::vector<std::string> messages;
  };
  const std::string noKey = "An error occured while attempting to to create a registery key.";
  const std::string noAccess = "An error occured while attempting to access the registery.";
  const std::string noSet = "An error occured while attempting to set key default value.";
  // A key that could not be created cannot be opened for its value either.
  const std::vector<Case> cases = {
      // The command key (the second create).
      {FakeRegistry::Op::Create, 1, 1450, {noKey, noAccess}},
      // The extension's key, refused for another reason than rights: no second try.
      {FakeRegistry::Op::Create, 0, 1450, {noKey, noAccess}},
      {FakeRegistry::Op::Open, 1, 2, {noAccess}},
      {FakeRegistry::Op::Set, 2, 5, {noSet}},
  };
  for (const bool messages : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.messages.back() + (messages ? " on" : " off"));
      fakes::FakePlatform p;
      p.files.AddFile(kExe);
      p.registry.FailNext(c.op, c.code, c.skip);
      EXPECT_TRUE(CreateFileAssociation(p.ports, ".dem", "RD.Demo", "Replaydock Demo", "Open", kExe,
                                        "", true, "", messages));
      EXPECT_EQ(LastError(), c.code);
      if (messages) {
        std::vector<std::string> texts;
        for (const auto& m : p.dialogs.messages) {
          texts.push_back(m.text);
          EXPECT_EQ(m.title, "DLL/OCX Register");
          EXPECT_EQ(m.style, kErrorStyle);
        }
        EXPECT_EQ(texts, c.messages);
      } else {
        EXPECT_TRUE(p.dialogs.messages.empty());
      }
      // The last step was still tried, below HKEY_CLASSES_ROOT.
      std::string lastOpen;
      for (const std::string& line : p.registry.Calls()) {
        if (line.rfind("open ", 0) == 0) lastOpen = line;
      }
      EXPECT_EQ(lastOpen, "open HKCR\\RD.Demo\\shell\\Open\\command");
      EXPECT_TRUE(p.registry.Keys(regroot::CurrentUser).empty());
      EXPECT_EQ(p.registry.OpenHandles(), 0);
    }
  }
}

TEST_F(CreateFileAssociationTest, RefusedClassesRootFallsBackToThePerUserClassesSilently) {
  fp.registry.FailUnder(FakeRegistry::Op::Create, "HKCR", 5);
  EXPECT_TRUE(Register(".dem", true, kExe, " -x "));

  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(LastError(), 0);
  EXPECT_TRUE(fp.registry.Keys(regroot::ClassesRoot).empty());
  const std::string base = "Software\\Classes\\";
  EXPECT_EQ(Text(regroot::CurrentUser, base + ".dem"), "RD.Demo");
  EXPECT_EQ(Text(regroot::CurrentUser, base + "RD.Demo"), "Replaydock Demo");
  EXPECT_EQ(Text(regroot::CurrentUser, base + "RD.Demo\\shell\\Open\\command"),
            "\"" + kExe + "\" -x %1");
  EXPECT_EQ(Text(regroot::CurrentUser, base + "RD.Demo\\DefaultIcon"), kExe + ",0");
  // Only the first key was tried below HKEY_CLASSES_ROOT.
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 8u);
  EXPECT_EQ(writes[0], "create HKCR\\.dem");
  for (std::size_t i = 1; i < writes.size(); ++i) {
    EXPECT_NE(writes[i].find(" HKCU\\Software\\Classes\\"), std::string::npos) << writes[i];
  }
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(CreateFileAssociationTest, WhenThePerUserClassesAreRefusedTooTheFailureIsReported) {
  fp.registry.FailUnder(FakeRegistry::Op::Create, "HKCR", 5);
  fp.registry.FailUnder(FakeRegistry::Op::Create, "HKCU", 5);
  EXPECT_TRUE(Register(".dem", false));
  EXPECT_EQ(LastError(), 5);
  EXPECT_FALSE(LastWroteAnything());
  EXPECT_TRUE(fp.registry.Keys(regroot::CurrentUser).empty());
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(CreateFileAssociationTest, ReRegistrationTakesTheExtensionOverAndLeavesTheOtherTypeAlone) {
  fp.registry.PutText(regroot::ClassesRoot, ".dem", "", "Other.Demo");
  fp.registry.PutText(regroot::ClassesRoot, "Other.Demo", "", "Other Demo");
  fp.registry.PutText(regroot::ClassesRoot, "Other.Demo\\shell\\open\\command", "", "other.exe %1");
  EXPECT_TRUE(Register(".dem", true));
  const auto keysOnce = fp.registry.Keys(regroot::ClassesRoot);
  EXPECT_TRUE(Register(".dem", true));

  EXPECT_EQ(fp.registry.Keys(regroot::ClassesRoot), keysOnce);
  EXPECT_EQ(Text(regroot::ClassesRoot, ".dem"), "RD.Demo");
  EXPECT_EQ(Text(regroot::ClassesRoot, "Other.Demo"), "Other Demo");
  EXPECT_EQ(Text(regroot::ClassesRoot, "Other.Demo\\shell\\open\\command"), "other.exe %1");
  EXPECT_FALSE(fp.registry.KeyExists(regroot::ClassesRoot, "Other.Demo\\DefaultIcon"));
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

TEST_F(CreateFileAssociationTest, TheKeyRoutinesFollowTheSwitchOfTheLastAssociation) {
  // Values are only ever set in keys that exist: the set routine never creates one.
  EXPECT_FALSE(Register("a|b", false));
  EXPECT_FALSE(SetKeyDefaultValue(fp.ports, regroot::ClassesRoot, "NoSuch.Key", "x"));
  EXPECT_FALSE(fp.registry.KeyExists(regroot::ClassesRoot, "NoSuch.Key"));
  EXPECT_TRUE(fp.dialogs.messages.empty());

  EXPECT_FALSE(Register("a|b", true));
  fp.dialogs.messages.clear();
  EXPECT_FALSE(SetKeyDefaultValue(fp.ports, regroot::ClassesRoot, "NoSuch.Key", "x"));
  fp.registry.FailNext(FakeRegistry::Op::Create, 5);
  EXPECT_FALSE(CreateRegistryKey(fp.ports, regroot::ClassesRoot, "Some.Key"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "An error occured while attempting to access the registery.",
                                "An error occured while attempting to to create a registery key.",
                            }));

  EXPECT_TRUE(CreateRegistryKey(fp.ports, regroot::ClassesRoot, "Some.Key\\deep\\er"));
  EXPECT_TRUE(fp.registry.KeyExists(regroot::ClassesRoot, "Some.Key\\deep"));
  EXPECT_TRUE(SetKeyDefaultValue(fp.ports, regroot::ClassesRoot, "Some.Key\\deep", "v"));
  EXPECT_EQ(Text(regroot::ClassesRoot, "Some.Key\\deep"), "v");
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

// Stands between the routines and the fake, noting the rights each key is asked for.
class RightsRecorder final : public Registry {
 public:
  explicit RightsRecorder(Registry& inner) : inner_(inner) {}
  std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                       RegKey& key) override {
    rights.push_back(access);
    return inner_.OpenKey(root, path, access, key);
  }
  std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                         RegKey& key) override {
    rights.push_back(access);
    return inner_.CreateKey(root, path, access, key);
  }
  std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t& size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    sizes.push_back(size);
    return inner_.SetValue(key, name, type, data, size);
  }
  std::int32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }

  std::vector<std::uint32_t> rights;
  std::vector<std::uint32_t> sizes;

 private:
  Registry& inner_;
};

TEST_F(CreateFileAssociationTest, KeysAreAskedForTheSixSpecificRights) {
  RightsRecorder recorder(fp.registry);
  Ports ports{recorder, fp.ini, fp.files, fp.shell, fp.dialogs, fp.process, fp.timer, {}};
  EXPECT_TRUE(CreateFileAssociation(ports, ".dem", "RD.Demo", "Replaydock Demo", "Open", kExe, "",
                                    true, "", true));
  ASSERT_EQ(recorder.rights.size(), 7u);  // three creates, four opens
  for (const std::uint32_t access : recorder.rights) EXPECT_EQ(access, 0x3Fu);
  const std::string command = "\"" + kExe + "\" %1";
  EXPECT_EQ(recorder.sizes,
            (std::vector<std::uint32_t>{static_cast<std::uint32_t>(kExe.size() + 2 + 1), 8, 16,
                                        static_cast<std::uint32_t>(command.size() + 1)}));
}

}  // namespace
}  // namespace rd::modFileAssoc
