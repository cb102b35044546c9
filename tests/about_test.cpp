// The About window: title and version filled in at every load, OK/Enter/Esc closing it, and the
// System Information launcher over a scripted registry, a fake file system and recorded
// process starts; the portable registry over a temporary folder of programs.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "about/frm_about.h"
#ifndef _WIN32
#include "about/portable_registry.h"
#endif
#include "about/sys_info_keys.h"
#include "registry_value_cases.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

using about::FrmAbout;
using namespace registry_cases;
using Keys = std::map<std::string, std::map<std::string, Value>>;

const std::string programKey = about::sysinfo::programKey;
const std::string folderKey = about::sysinfo::folderKey;
const std::string unavailable = FrmAbout::unavailableMessage;

// ---------------------------------------------------------------------------------------------
// Starting System Information: which program starts, or the one message, for each registry.

struct SysInfoCase {
  const char* name;
  Keys keys;
  std::set<std::string> plainFiles;
  std::set<std::string> startable;
  std::vector<std::string> expectStarted;  // empty: the message is shown instead
  std::vector<std::string> expectOpened;   // key paths, in order
};

const std::string toolPath = "C:\\Program Files\\Common Files\\msinfo32.exe";
const std::string toolFolder = "C:\\Windows\\System32";
const std::string folderTool = toolFolder + "\\MSINFO32.EXE";

// A folder lookup that would succeed, to show when the second lookup is not made.
const std::pair<const std::string, std::map<std::string, Value>> goodFolder{
    folderKey, {{"MSINFO", text(toolFolder)}}};

std::vector<SysInfoCase> sysInfoCases() {
  return {
      {"PathFoundIsStartedWithoutSecondLookup",
       {{programKey, {{"PATH", text(toolPath)}}}, goodFolder},
       {folderTool},
       {toolPath, folderTool},
       {toolPath},
       {programKey}},
      {"PathKeyMissingFolderHoldsProgram",
       {goodFolder},
       {folderTool},
       {folderTool},
       {folderTool},
       {programKey, folderKey}},
      {"PathValueMissingFolderHoldsProgram",
       {{programKey, {{"OTHER", text(toolPath)}}}, goodFolder},
       {folderTool},
       {toolPath, folderTool},
       {folderTool},
       {programKey, folderKey}},
      {"FolderWithoutProgram", {goodFolder}, {}, {folderTool}, {}, {programKey, folderKey}},
      {"NeitherValue", {}, {folderTool}, {folderTool}, {}, {programKey, folderKey}},
      {"PathNamesMissingFile",
       {{programKey, {{"PATH", text(toolPath)}}}, goodFolder},
       {folderTool},
       {folderTool},
       {},
       {programKey}},
      {"ExpandableTextLeavesEmptyPath",
       {{programKey, {{"PATH", ofType(2, bytes(toolPath + '\0'))}}}, goodFolder},
       {folderTool},
       {toolPath, folderTool},
       {},
       {programKey}},
      {"ValueOf1024BytesIsReadWhole",
       {{programKey, {{"PATH", text(path1023)}}}, goodFolder},
       {folderTool},
       {path1023, folderTool},
       {path1023},
       {programKey}},
      {"ValueOf1025BytesCannotBeRead",
       {{programKey, {{"PATH", text(path1024)}}}, goodFolder},
       {folderTool},
       {path1024, folderTool},
       {folderTool},
       {programKey, folderKey}},
      {"NumberValueIsNoPath",
       {{programKey, {{"PATH", ofType(4, {0x1A, 0, 0, 0})}}}, goodFolder},
       {folderTool},
       {folderTool},
       {},
       {programKey}},
      {"EmptyValueIsAnErrorWithoutSecondLookup",
       {{programKey, {{"PATH", ofType(1, {})}}}, goodFolder},
       {folderTool},
       {"", folderTool},
       {},
       {programKey}},
  };
}

void PrintTo(const SysInfoCase& c, std::ostream* out) { *out << c.name; }

class StartSysInfo : public ::testing::TestWithParam<SysInfoCase> {};

TEST_P(StartSysInfo, StartsTheToolOrShowsTheMessage) {
  const SysInfoCase& c = GetParam();
  tk::testing::TestPlatform t;
  t.registry.keys = c.keys;
  t.files.plainFiles = c.plainFiles;
  t.processes.startable = c.startable;
  FrmAbout form(t.platform);
  form.show();

  form.cmdSysInfo.click();

  EXPECT_EQ(t.processes.started, c.expectStarted);
  const std::vector<std::string> expectMessages =
      c.expectStarted.empty() ? std::vector<std::string>{unavailable} : std::vector<std::string>{};
  EXPECT_EQ(t.messages.texts, expectMessages);
  EXPECT_FALSE(t.processes.endStatus.has_value()) << "no run-time error reached the toolkit";
  EXPECT_EQ(t.registry.opened, c.expectOpened);

  // Every opened key is closed again, right after its own lookup; a key that could not be
  // opened is "closed" with the handle 0.
  ASSERT_EQ(t.registry.closed.size(), t.registry.opened.size());
  for (std::size_t i = 0; i < t.registry.opened.size(); ++i) {
    const bool openFailed = c.keys.count(t.registry.opened[i]) == 0;
    EXPECT_EQ(t.registry.closed[i] == 0, openFailed) << "lookup " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Registry, StartSysInfo, ::testing::ValuesIn(sysInfoCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Reading one value: what KeyVal holds afterwards for each type and size.

class GetKeyValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(GetKeyValue, FillsKeyValByType) {
  const ValueCase& c = GetParam();
  tk::testing::TestPlatform t;
  t.registry.keys[programKey]["PATH"] = c.value;
  FrmAbout form(t.platform);

  std::string keyVal = c.keyValOnEntry;
  EXPECT_EQ(form.GetKeyValue(about::sysinfo::localMachine, programKey, "PATH", keyVal),
            c.expectRead);
  EXPECT_EQ(keyVal, c.expectKeyVal);
  EXPECT_EQ(t.registry.closed, std::vector<tk::RegistryService::Key>{1});
}

INSTANTIATE_TEST_SUITE_P(Types, GetKeyValue, ::testing::ValuesIn(valueCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Records how keys are opened, then answers like the scripted registry.
class WatchedRegistry : public tk::testing::ScriptedRegistry {
 public:
  long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) override {
    roots.push_back(root);
    accesses.push_back(access);
    return ScriptedRegistry::openKey(root, path, access, key);
  }
  std::vector<Key> roots;
  std::vector<std::uint32_t> accesses;
};

TEST(GetKeyValueFailures, MissingKeyOrValueEmptiesKeyValAndClosesTheKey) {
  tk::testing::TestPlatform t;
  t.registry.keys[programKey]["PATH"] = text("C:\\x");
  FrmAbout form(t.platform);

  std::string keyVal = "old";
  EXPECT_FALSE(form.GetKeyValue(about::sysinfo::localMachine, "SOFTWARE\\Nowhere", "PATH", keyVal));
  EXPECT_EQ(keyVal, "");
  keyVal = "old";
  EXPECT_FALSE(form.GetKeyValue(about::sysinfo::localMachine, programKey, "Missing", keyVal));
  EXPECT_EQ(keyVal, "");
  EXPECT_EQ(t.registry.closed, (std::vector<tk::RegistryService::Key>{0, 1}));
}

TEST(GetKeyValueFailures, EmptyValueRaisesARunTimeErrorAfterClosingTheKey) {
  tk::testing::TestPlatform t;
  t.registry.keys[programKey]["PATH"] = ofType(1, {});
  FrmAbout form(t.platform);

  std::string keyVal;
  EXPECT_THROW(form.GetKeyValue(about::sysinfo::localMachine, programKey, "PATH", keyVal),
               tk::RuntimeError);
  EXPECT_EQ(t.registry.closed, std::vector<tk::RegistryService::Key>{1});
}

TEST(GetKeyValueFailures, OpensBelowLocalMachineWithFullKeyAccess) {
  tk::testing::TestPlatform t;
  WatchedRegistry registry;
  tk::Platform platform{t.loop,  t.windows,   t.messages, t.colours,
                        t.files, t.processes, registry,   t.platform.app};
  FrmAbout form(platform);

  form.StartSysInfo();

  EXPECT_EQ(registry.roots, (std::vector<tk::RegistryService::Key>{0x80000002, 0x80000002}));
  EXPECT_EQ(registry.accesses, (std::vector<std::uint32_t>{0x2003F, 0x2003F}));
}

// ---------------------------------------------------------------------------------------------
// The window: title and version from the application, filled in anew at every showing.

// Takes a picture of the texts a window shows at the moment it appears.
class SnapshotWindows : public tk::testing::HeadlessWindows {
 public:
  void show(tk::Form& form) override {
    HeadlessWindows::show(form);
    auto& about = static_cast<FrmAbout&>(form);
    captions.push_back({about.caption(), about.lblTitle.caption(), about.lblVersion.caption()});
  }
  std::vector<std::vector<std::string>> captions;
};

TEST(AboutWindow, ShowsTheApplicationsTitleAndVersion) {
  struct Case {
    tk::AppInfo app;
    std::vector<std::string> expect;  // caption, title, version
  };
  const Case cases[] = {
      {{"Bransk - Quorvel - Clock", 1, 2, 0},
       {"About Bransk - Quorvel - Clock", "Bransk - Quorvel - Clock", "Version 1.2.0"}},
      {{"Other", 10, 0, 307}, {"About Other", "Other", "Version 10.0.307"}},
  };
  for (const Case& c : cases) {
    tk::testing::TestPlatform t;
    SnapshotWindows windows;
    tk::Platform platform{t.loop,  windows,     t.messages, t.colours,
                          t.files, t.processes, t.registry, c.app};
    FrmAbout form(platform);
    EXPECT_EQ(form.caption(), "About MyApp");

    form.show();

    ASSERT_EQ(windows.captions.size(), 1u);
    EXPECT_EQ(windows.captions[0], c.expect) << "the texts are in place when the window appears";
  }
}

TEST(AboutWindow, OkClosesAndTheNextShowingLoadsAfresh) {
  tk::testing::TestPlatform t;
  SnapshotWindows windows;
  tk::Platform platform{t.loop,  windows,     t.messages, t.colours,
                        t.files, t.processes, t.registry, {"First", 1, 2, 0}};
  FrmAbout form(platform);
  form.show();

  form.cmdOK.click();
  EXPECT_FALSE(form.isLoaded());
  EXPECT_TRUE(windows.open.empty());

  // A different application name proves the load event ran again rather than keeping texts.
  platform.app = {"Second", 3, 4, 5};
  form.show();
  EXPECT_TRUE(form.isShown());
  ASSERT_EQ(windows.captions.size(), 2u);
  EXPECT_EQ(windows.captions[1],
            (std::vector<std::string>{"About Second", "Second", "Version 3.4.5"}));
  for (const auto& shown : windows.captions) {
    EXPECT_NE(shown[0], "About MyApp");
    EXPECT_NE(shown[2], "Version 1.2 27-APR-2004");
  }
}

TEST(AboutWindow, EnterAndEscBothPressOk) {
  for (const bool escape : {false, true}) {
    tk::testing::TestPlatform t;
    FrmAbout form(t.platform);
    form.show();
    tk::CommandButton* key = escape ? form.cancelButton : form.defaultButton;
    ASSERT_EQ(key, &form.cmdOK);

    key->click();

    EXPECT_FALSE(form.isShown()) << (escape ? "Esc" : "Enter");
  }
}

TEST(AboutWindow, SysInfoButtonShowsTheMessageWhenNothingIsRegistered) {
  tk::testing::TestPlatform t;
  FrmAbout form(t.platform);
  form.show();

  form.cmdSysInfo.click();
  form.cmdSysInfo.click();

  EXPECT_EQ(t.messages.texts, (std::vector<std::string>{unavailable, unavailable}));
  EXPECT_TRUE(form.isShown()) << "the window stays open";
}

// ---------------------------------------------------------------------------------------------
// The portable registry: a system-information program found in the searched folders. Windows
// has the real registry instead (tests/windows).
#ifndef _WIN32

class PortableRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder / "empty");
    std::filesystem::create_directories(folder / "bin");
  }

  std::filesystem::path addProgram(const std::string& name, bool executable = true) {
    const auto path = folder / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n";
    using std::filesystem::perms;
    std::filesystem::permissions(
        path, executable ? perms::owner_all : perms::owner_read | perms::owner_write);
    return path;
  }

  tk::testing::TempFolder scratch{tk::testing::TempFolder::asScratch, "about_test_"};
  const std::filesystem::path folder = scratch.path();
};

TEST_F(PortableRegistryTest, AnswersThePathOfAnInstalledTool) {
  const auto program = addProgram("gnome-system-monitor");
  about::PortableRegistry registry({folder / "empty", folder / "bin"});

  tk::RegistryService::Key key = 0;
  ASSERT_EQ(registry.openKey(0x80000002, programKey, 0x2003F, key), 0);
  std::uint8_t data[1024] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  ASSERT_EQ(registry.queryValue(key, "PATH", type, data, size), 0);
  EXPECT_EQ(type, 1u);
  const std::string expected = program.string();
  ASSERT_EQ(size, expected.size() + 1) << "stored with its terminating zero";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), expected + '\0');

  std::uint32_t small = 4;
  EXPECT_EQ(registry.queryValue(key, "PATH", type, data, small), 234);
  EXPECT_EQ(registry.queryValue(key, "OTHER", type, data, size), 2);
}

TEST_F(PortableRegistryTest, AboutWindowStartsTheFoundTool) {
  const auto program = addProgram("xfce4-taskmanager");
  about::PortableRegistry registry({folder / "bin"});
  tk::testing::TestPlatform t;
  t.processes.startable = {program.string()};
  tk::Platform platform{t.loop,  t.windows,   t.messages, t.colours,
                        t.files, t.processes, registry,   t.platform.app};
  FrmAbout form(platform);

  form.StartSysInfo();

  EXPECT_EQ(t.processes.started, std::vector<std::string>{program.string()});
  EXPECT_TRUE(t.messages.texts.empty());
}

TEST_F(PortableRegistryTest, PrefersTheMostInformativeExecutableProgram) {
  addProgram("hardinfo", /*executable=*/false);
  std::filesystem::create_directories(folder / "bin" / "hardinfo2");  // a folder, not a program
  addProgram("lxtask");
  const auto expected = addProgram("gnome-system-monitor");
  about::PortableRegistry registry({folder / "bin"});

  EXPECT_EQ(registry.findProgram(), expected);
}

TEST_F(PortableRegistryTest, WithoutAToolEveryKeyIsMissingAndTheMessageShows) {
  addProgram("htop");  // a terminal program: not offered
  about::PortableRegistry registry({folder / "empty", folder / "bin"});
  tk::RegistryService::Key key = 0;
  EXPECT_EQ(registry.openKey(0x80000002, programKey, 0x2003F, key), 2);
  EXPECT_EQ(registry.openKey(0x80000002, folderKey, 0x2003F, key), 2);
  EXPECT_EQ(key, 0u);

  tk::testing::TestPlatform t;
  tk::Platform platform{t.loop,  t.windows,   t.messages, t.colours,
                        t.files, t.processes, registry,   t.platform.app};
  FrmAbout form(platform);
  form.StartSysInfo();
  EXPECT_EQ(t.messages.texts, std::vector<std::string>{unavailable});
}

TEST_F(PortableRegistryTest, OnlyTheToolKeyBelowLocalMachineIsKnown) {
  addProgram("hardinfo2");
  about::PortableRegistry registry({folder / "bin"});
  tk::RegistryService::Key key = 0;
  EXPECT_EQ(registry.openKey(0x80000001, programKey, 0x2003F, key), 2) << "another root";
  EXPECT_EQ(registry.openKey(0x80000002, "SOFTWARE\\MICROSOFT\\SHARED TOOLS\\MSINFO", 0x2003F, key),
            0)
      << "key paths ignore case";
}

#endif  // _WIN32

}  // namespace
