// The About window's Windows half, run under Wine: the real registry answers the table of values
// exactly as the scripted one does, text arrives in the ANSI code page, the file test leaves out
// hidden and system files, System Information is found through the registry and started as a
// process of its own, and the program's version resource reads back as the About window shows it.

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "about/frm_about.h"
#include "about/sys_info_keys.h"
#include "about/windows_registry.h"
#include "app_info.h"
#include "registry_value_cases.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"
#include "toolkit/windows_services.h"

namespace {

namespace fs = std::filesystem;
using namespace registry_cases;
using about::FrmAbout;
using Key = tk::RegistryService::Key;

const std::string programKey = about::sysinfo::programKey;
const std::string folderKey = about::sysinfo::folderKey;
const std::string unavailable = FrmAbout::unavailableMessage;

// The text in the ANSI code page, as the registry's ANSI calls hand it over.
std::string ansi(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

std::wstring fromAnsi(const std::string& text) {
  const int size =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// A key of the test's own under HKEY_CURRENT_USER, removed afterwards with everything below it.
class TestKey {
 public:
  TestKey() {
    static int count = 0;
    path_ = std::string(parent) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count);
    created_ = RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &key_, nullptr) == ERROR_SUCCESS;
    EXPECT_TRUE(created_) << path_;
  }
  ~TestKey() {
    if (!created_) return;
    RegCloseKey(key_);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    RegDeleteKeyA(HKEY_CURRENT_USER, parent);  // fails while another test's key is there
  }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;

  HKEY handle() const { return key_; }
  const std::string& path() const { return path_; }

  void set(const std::string& key, const std::string& name, const Value& value) {
    HKEY sub = create(key);
    ASSERT_EQ(RegSetValueExA(sub, name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
    RegCloseKey(sub);
  }
  // A text value written in UTF-16, as a Windows installer writes it.
  void setWide(const std::string& key, const std::string& name, const std::wstring& text) {
    HKEY sub = create(key);
    const std::wstring wideName(name.begin(), name.end());
    ASSERT_EQ(RegSetValueExW(sub, wideName.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(sub);
  }

  static constexpr const char* parent = "Software\\Quorvel Stopwatch Tests";

 private:
  HKEY create(const std::string& key) {
    HKEY sub = nullptr;
    EXPECT_EQ(
        RegCreateKeyExA(key_, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
        ERROR_SUCCESS);
    return sub;
  }

  std::string path_;
  HKEY key_ = nullptr;
  bool created_ = false;
};

// The real registry, with HKEY_LOCAL_MACHINE answered from a test key instead; records the key
// paths opened.
class RedirectedRegistry : public about::WindowsRegistry {
 public:
  explicit RedirectedRegistry(HKEY localMachine)
      : localMachine_(reinterpret_cast<Key>(localMachine)) {}
  long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) override {
    opened.push_back(path);
    return WindowsRegistry::openKey(root == about::sysinfo::localMachine ? localMachine_ : root,
                                    path, access, key);
  }
  std::vector<std::string> opened;

 private:
  Key localMachine_;
};

// Starts programs for real, and remembers what it was asked to start.
class RecordingProcesses : public tk::windows::WindowsProcesses {
 public:
  bool start(const std::string& path) override {
    asked.push_back(path);
    return WindowsProcesses::start(path);
  }
  std::vector<std::string> asked;
};

// The headless platform with the real registry, file test and program start of Windows.
struct WindowsPlatform {
  explicit WindowsPlatform(tk::RegistryService& registry) : registry(registry) {}
  tk::testing::TestPlatform t;
  tk::windows::WindowsFiles files;
  RecordingProcesses processes;
  tk::RegistryService& registry;
  tk::Platform platform{t.loop, t.windows, t.messages, t.colours,
                        files,  processes, registry,   t.platform.app};
};

fs::path ownFolder() {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  return fs::path(std::wstring(self, length)).parent_path();
}

const fs::path& probeProgram() {
  static const fs::path probe = ownFolder() / "sysinfo_probe.exe";
  return probe;
}

// What the probe wrote when it ran: its command line and how its window was to be shown.
struct ProbeRecord {
  std::string commandLine;
  int show = -1;
};

// Waits for the probe at `program` to say that it ran; nothing if it has not within a minute.
std::optional<ProbeRecord> waitForProbe(const fs::path& program) {
  const fs::path record = program.wstring() + L".ran";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(record)) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ProbeRecord result;
  std::ifstream in(record, std::ios::binary);
  std::getline(in, result.commandLine);
  in >> result.show;
  return result;
}

void copyProbeTo(const fs::path& destination, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  fs::create_directories(destination.parent_path());
  fs::copy_file(probeProgram(), destination);
  ASSERT_TRUE(SetFileAttributesW(destination.c_str(), attributes)) << destination;
}

// ---------------------------------------------------------------------------------------------
// GetKeyValue over the real registry.

class RealRegistry : public ::testing::TestWithParam<ValueCase> {};

// Windows' ANSI query adds a terminating zero to text stored without one and wants room for it,
// so 1024 characters without a zero do not fit the 1024-byte buffer there: the lookup fails as
// for any value too long. 1023 characters without a zero still fit and are read whole.
ValueCase asTheRealRegistryAnswers(ValueCase c) {
  if (std::string(c.name) == "TextOf1024CharactersWithoutZero") {
    c.expectRead = false;
    c.expectKeyVal.clear();
  }
  return c;
}

TEST(RealRegistryText, TextWithoutZeroGetsOneAdded) {
  const std::string text1023(1023, 'z');
  TestKey key;
  key.set(programKey, "PATH", {REG_SZ, bytes(text1023)});
  RedirectedRegistry registry(key.handle());
  std::uint8_t data[1024];
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  Key opened = 0;
  ASSERT_EQ(registry.openKey(about::sysinfo::localMachine, programKey, KEY_READ, opened), 0);
  EXPECT_EQ(registry.queryValue(opened, "PATH", type, data, size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1024u);
  EXPECT_EQ(data[1023], 0);
  registry.closeKey(opened);

  WindowsPlatform w(registry);
  FrmAbout form(w.platform);
  std::string keyVal;
  EXPECT_TRUE(form.GetKeyValue(about::sysinfo::localMachine, programKey, "PATH", keyVal));
  EXPECT_EQ(keyVal, text1023);
}

TEST_P(RealRegistry, AnswersLikeTheScriptedOne) {
  const ValueCase c = asTheRealRegistryAnswers(GetParam());
  TestKey key;
  key.set(programKey, "PATH", c.value);
  RedirectedRegistry registry(key.handle());
  WindowsPlatform w(registry);
  FrmAbout form(w.platform);

  std::string keyVal = c.keyValOnEntry;
  EXPECT_EQ(form.GetKeyValue(about::sysinfo::localMachine, programKey, "PATH", keyVal),
            c.expectRead);
  EXPECT_EQ(keyVal, c.expectKeyVal);
}

INSTANTIATE_TEST_SUITE_P(Types, RealRegistry, ::testing::ValuesIn(valueCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RealRegistryFailures, MissingKeyOrValueAndAnEmptyValue) {
  TestKey key;
  key.set(programKey, "PATH", text("C:\\x"));
  key.set(programKey, "EMPTY", ofType(REG_SZ, {}));
  RedirectedRegistry registry(key.handle());
  WindowsPlatform w(registry);
  FrmAbout form(w.platform);
  const Key root = about::sysinfo::localMachine;

  std::string keyVal = "old";
  EXPECT_FALSE(form.GetKeyValue(root, "SOFTWARE\\Nowhere", "PATH", keyVal));
  EXPECT_EQ(keyVal, "");
  keyVal = "old";
  EXPECT_FALSE(form.GetKeyValue(root, programKey, "Missing", keyVal));
  EXPECT_EQ(keyVal, "");
  EXPECT_THROW(form.GetKeyValue(root, programKey, "EMPTY", keyVal), tk::RuntimeError);
  EXPECT_TRUE(form.GetKeyValue(root, programKey, "PATH", keyVal)) << "the key was closed again";
}

TEST(RealRegistryText, ArrivesInTheAnsiCodePage) {
  const std::wstring path = L"C:\\Z\u00fcrich \u00c6r\u00f8\\tool.exe";
  const std::string expected = ansi(path);
  ASSERT_EQ(fromAnsi(expected), path) << "the code page " << GetACP() << " holds these letters";
  ASSERT_NE(expected.find('\xfc'), std::string::npos) << "one byte a letter in code page 1252";
  TestKey key;
  key.setWide(programKey, "PATH", path);
  RedirectedRegistry registry(key.handle());
  WindowsPlatform w(registry);
  FrmAbout form(w.platform);

  std::string keyVal;
  EXPECT_TRUE(form.GetKeyValue(about::sysinfo::localMachine, programKey, "PATH", keyVal));
  EXPECT_EQ(keyVal, expected);
}

// ---------------------------------------------------------------------------------------------
// The file test behind the folder lookup.

TEST(PlainFileTest, LeavesOutFoldersHiddenAndSystemFiles) {
  tk::testing::TempFolder folder;
  struct Case {
    std::wstring name;
    std::optional<DWORD> attributes;  // none: nothing of that name
    bool plain;
  };
  const Case cases[] = {
      {L"plain.exe", FILE_ATTRIBUTE_NORMAL, true},
      {L"read-only.exe", FILE_ATTRIBUTE_READONLY, true},
      {L"archive.exe", FILE_ATTRIBUTE_ARCHIVE, true},
      {L"Z\u00fcrich.exe", FILE_ATTRIBUTE_NORMAL, true},
      {L"hidden.exe", FILE_ATTRIBUTE_HIDDEN, false},
      {L"system.exe", FILE_ATTRIBUTE_SYSTEM, false},
      {L"hidden-system.exe", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
      {L"missing.exe", std::nullopt, false},
  };
  for (const Case& c : cases) {
    const fs::path path = folder.path() / c.name;
    if (c.attributes) {
      std::ofstream(path) << "x";
      ASSERT_TRUE(SetFileAttributesW(path.c_str(), *c.attributes));
    }
    EXPECT_EQ(tk::windows::isPlainFile(ansi(path.wstring())), c.plain) << path;
  }
  fs::create_directory(folder.path() / "folder.exe");
  EXPECT_FALSE(tk::windows::isPlainFile(ansi((folder.path() / "folder.exe").wstring())));
  EXPECT_FALSE(tk::windows::isPlainFile(""));
  for (const Case& c : cases) {  // so the folder can be removed
    SetFileAttributesW((folder.path() / c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// ---------------------------------------------------------------------------------------------
// System Information, end to end: the registry, the file test and a real new process.

struct SysInfoCase {
  const char* name;
  // Fills the test key; `tools` is a folder with the probe copied in several ways.
  std::function<void(TestKey&, const fs::path& tools)> registry;
  std::wstring expectStarted;  // below `tools`; empty: the message and nothing else
  std::vector<std::string> expectOpened;
};

const std::wstring toolName = L"Z\u00fcrich Tools\\sys info.exe";

std::string under(const fs::path& tools, const std::wstring& name) {
  return ansi((tools / name).wstring());
}

std::vector<SysInfoCase> sysInfoCases() {
  return {
      {"PathIsStartedWithoutSecondLookup",
       [](TestKey& key, const fs::path& tools) {
         key.setWide(programKey, "PATH", (tools / toolName).wstring());
         key.set(folderKey, "MSINFO", text(under(tools, L"plain")));
       },
       toolName,
       {programKey}},
      {"FolderHoldsTheProgram",
       [](TestKey& key, const fs::path& tools) {
         key.set(folderKey, "MSINFO", text(under(tools, L"plain")));
       },
       L"plain\\MSINFO32.EXE",
       {programKey, folderKey}},
      {"HiddenProgramInTheFolder",
       [](TestKey& key, const fs::path& tools) {
         key.set(folderKey, "MSINFO", text(under(tools, L"hidden")));
       },
       L"",
       {programKey, folderKey}},
      {"SystemFileProgramInTheFolder",
       [](TestKey& key, const fs::path& tools) {
         key.set(folderKey, "MSINFO", text(under(tools, L"system")));
       },
       L"",
       {programKey, folderKey}},
      {"FolderWithoutProgram",
       [](TestKey& key, const fs::path& tools) {
         key.set(folderKey, "MSINFO", text(under(tools, L"")));
       },
       L"",
       {programKey, folderKey}},
      {"PathNamesMissingFile",
       [](TestKey& key, const fs::path& tools) {
         key.set(programKey, "PATH", text(under(tools, L"missing.exe")));
         key.set(folderKey, "MSINFO", text(under(tools, L"plain")));
       },
       L"",
       {programKey}},
      {"NoKeys", [](TestKey&, const fs::path&) {}, L"", {programKey, folderKey}},
  };
}

void PrintTo(const SysInfoCase& c, std::ostream* out) { *out << c.name; }

class SystemInformation : public ::testing::TestWithParam<SysInfoCase> {};

TEST_P(SystemInformation, StartsTheRegisteredProgramOrShowsTheMessage) {
  const SysInfoCase& c = GetParam();
  tk::testing::TempFolder tools;
  copyProbeTo(tools.path() / toolName);
  copyProbeTo(tools.path() / L"plain\\MSINFO32.EXE");
  copyProbeTo(tools.path() / L"hidden\\MSINFO32.EXE", FILE_ATTRIBUTE_HIDDEN);
  copyProbeTo(tools.path() / L"system\\MSINFO32.EXE", FILE_ATTRIBUTE_SYSTEM);
  TestKey key;
  c.registry(key, tools.path());
  RedirectedRegistry registry(key.handle());
  WindowsPlatform w(registry);
  FrmAbout form(w.platform);
  form.show();

  form.cmdSysInfo.click();

  EXPECT_EQ(registry.opened, c.expectOpened);
  if (c.expectStarted.empty()) {
    EXPECT_EQ(w.t.messages.texts, std::vector<std::string>{unavailable});
  } else {
    const fs::path started = tools.path() / c.expectStarted;
    EXPECT_EQ(w.processes.asked, std::vector<std::string>{ansi(started.wstring())});
    EXPECT_TRUE(w.t.messages.texts.empty());
    const std::optional<ProbeRecord> record = waitForProbe(started);
    ASSERT_TRUE(record) << "the program did not run";
    // Started directly, not through a shell: its command line is its own quoted path.
    EXPECT_EQ(record->commandLine, "\"" + ansi(started.wstring()) + "\"");
    EXPECT_EQ(record->show, SW_SHOWNORMAL);
  }
  // Nothing else ran: no probe but the expected one left a record.
  for (const auto& entry : fs::recursive_directory_iterator(tools.path())) {
    if (entry.path().extension() != ".ran") continue;
    EXPECT_EQ(entry.path(), fs::path((tools.path() / c.expectStarted).wstring() + L".ran"));
  }
  for (const auto& entry : fs::recursive_directory_iterator(tools.path())) {
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);  // so it can be removed
  }
}

INSTANTIATE_TEST_SUITE_P(Registry, SystemInformation, ::testing::ValuesIn(sysInfoCases()),
                         [](const auto& info) { return std::string(info.param.name); });

bool runningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Wine registers System Information with an MSInfo key that holds no PATH, and has no "Shared
// Tools Location": through the machine's own registry the About window can only say so.
TEST(SystemInformationOfTheMachine, UnderWineTheKeyHoldsNoPathSoTheMessageShows) {
  ASSERT_TRUE(runningUnderWine()) << "this case describes Wine's registry";
  about::WindowsRegistry registry;
  Key msinfo = 0;
  ASSERT_EQ(
      registry.openKey(about::sysinfo::localMachine, programKey, about::sysinfo::keyAccess, msinfo),
      ERROR_SUCCESS);
  registry.closeKey(msinfo);
  WindowsPlatform w(registry);
  FrmAbout form(w.platform);

  form.StartSysInfo();

  EXPECT_TRUE(w.processes.asked.empty());
  EXPECT_EQ(w.t.messages.texts, std::vector<std::string>{unavailable});
}

// ---------------------------------------------------------------------------------------------
// The version resource, compiled into the probe the same way as into the program.

std::wstring versionString(const std::vector<BYTE>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"?";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(VersionResource, CarriesTheVersionAndTheTitleTheAboutWindowShows) {
  const std::wstring program = probeProgram().wstring();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  // 1.2.0, as the About window's "Version 1.2.0", in both the file and the product version.
  const auto high = [](DWORD v) { return static_cast<int>(HIWORD(v)); };
  const auto low = [](DWORD v) { return static_cast<int>(LOWORD(v)); };
  for (const auto& [ms, ls] : {std::pair{fixed->dwFileVersionMS, fixed->dwFileVersionLS},
                               std::pair{fixed->dwProductVersionMS, fixed->dwProductVersionLS}}) {
    EXPECT_EQ(high(ms), app_info::versionMajor);
    EXPECT_EQ(low(ms), app_info::versionMinor);
    EXPECT_EQ(high(ls), 0);
    EXPECT_EQ(low(ls), app_info::versionRevision);
  }
  EXPECT_EQ(high(fixed->dwFileVersionMS), 1);
  EXPECT_EQ(low(fixed->dwFileVersionMS), 2);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  const std::string title = app_info::title;
  EXPECT_EQ(versionString(block, L"ProductName"), std::wstring(title.begin(), title.end()));
  EXPECT_EQ(versionString(block, L"ProductName"), L"Bransk - Quorvel - Clock");
  EXPECT_EQ(versionString(block, L"FileVersion"), L"1.02");  // the old way of writing 1.2
  EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.02");
  EXPECT_EQ(versionString(block, L"InternalName"), L"Quorvel");
  EXPECT_EQ(versionString(block, L"CompanyName"), L"none");
  EXPECT_EQ(versionString(block, L"OriginalFilename"), L"stopwatch.exe");

  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(LOWORD(*translation), 0x0409) << "English (United States)";
  EXPECT_EQ(HIWORD(*translation), 1200) << "Unicode";
}

}  // namespace
