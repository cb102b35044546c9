#include "about/frm_about.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <exception>

#include "about/sys_info_keys.h"

namespace about {

namespace {

using ValueBuffer = std::array<std::uint8_t, sysinfo::valueBufferSize>;

// The value's bytes as text, one character a byte, cut to the reported size; a terminating
// zero byte is dropped. A size of 0 leaves no last byte to look at, which is an error.
std::string cutToSize(const ValueBuffer& buffer, std::uint32_t size) {
  if (size == 0) throw tk::RuntimeError(5, "Invalid procedure call or argument");
  const bool endsInZero = size <= buffer.size() && buffer[size - 1] == 0;
  const std::size_t length = endsInZero ? size - 1 : std::min<std::size_t>(size, buffer.size());
  return std::string(reinterpret_cast<const char*>(buffer.data()), length);
}

// Each character's code in capital hex without leading zeros ("0".."FF"), last character
// first, so the little-endian bytes of a number come out most significant first.
std::string hexCodesLastToFirst(const std::string& text) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    const auto code = static_cast<unsigned char>(*it);
    if (code >= 16) hex += digits[code >> 4];
    hex += digits[code & 15];
  }
  return hex;
}

// General formatting without a format: a text that is a number shows as that number in plain
// decimal, anything else stays as it is. A converted registry number is "&h" and hex digits, so
// it is read the way the toolkit reads every "&H" text (16- and 32-bit values signed): "&h001A"
// shows as "26", which is what the registry value means to a person. Digits beyond 32 bits, or
// other characters after "&h", are no number and keep their text.
std::string formatGeneral(const std::string& text) {
  if (text.size() < 3 || text.compare(0, 2, "&h") != 0) return text;
  const std::string digits = text.substr(2);
  const auto isHexDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  if (!std::all_of(digits.begin(), digits.end(), isHexDigit)) return text;
  const std::size_t firstSignificant = std::min(digits.find_first_not_of('0'), digits.size());
  if (digits.size() - firstSignificant > 8) return text;
  return tk::shortestText(tk::readNumber(text));
}

}  // namespace

FrmAbout::FrmAbout(tk::Platform& platform)
    : tk::Form(platform, "frmAbout", "About MyApp", 5730, 3555) {
  borderStyle = tk::BorderStyle::FixedDialog;
  showInTaskbar = false;
  manualPosition = true;
  screenLeft = 2340;
  screenTop = 1935;
  defaultButton = &cmdOK;
  cancelButton = &cmdOK;

  lblDescription.setForeColour(0x000000);
  lblDisclaimer.setForeColour(0x000000);
  lblTitle.setForeColour(0x000000);
  Line1[0].setBorderColour(0xFFFFFF);
  Line1[1].setBorderColour(0x808080);
  Line1[1].style = tk::LineStyle::InsideSolid;
  // The labels are read as they stand; the picture and the buttons say what they are.
  picIcon.setAccessibility("Stopwatch icon");
  cmdOK.setAccessibleDescription("Closes this window");
  cmdSysInfo.setAccessibleDescription("Starts the System Information tool");

  onLoad = [this] { fillInTitleAndVersion(); };
  cmdOK.onClick = [this] { unload(); };
  cmdSysInfo.onClick = [this] { StartSysInfo(); };
}

void FrmAbout::fillInTitleAndVersion() {
  const tk::AppInfo& app = platform().app;
  setCaption("About " + app.title);
  lblVersion.setCaption("Version " + tk::decimalText(app.major) + "." + tk::decimalText(app.minor) +
                        "." + tk::decimalText(app.revision));
  lblTitle.setCaption(app.title);
}

void FrmAbout::StartSysInfo() {
  // Every way of failing, errors raised while reading the registry included, ends in the same
  // message; nothing reaches the toolkit's run-time error handling.
  bool started = false;
  try {
    started = startSysInfoProgram();
  } catch (const std::exception&) {
    started = false;
  }
  if (!started) platform().messages.show(unavailableMessage);
}

bool FrmAbout::startSysInfoProgram() {
  std::string KeyVal;
  std::string path;
  if (GetKeyValue(sysinfo::localMachine, sysinfo::programKey, sysinfo::programValue, KeyVal)) {
    path = KeyVal;  // taken as it is: starting it is the test
  } else {
    if (!GetKeyValue(sysinfo::localMachine, sysinfo::folderKey, sysinfo::folderValue, KeyVal)) {
      return false;
    }
    path = KeyVal + sysinfo::programFile;
    if (!platform().files.isPlainFile(path)) return false;
  }
  return platform().processes.start(path);
}

bool FrmAbout::GetKeyValue(tk::RegistryService::Key KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
  tk::RegistryService& registry = platform().registry;
  tk::RegistryService::Key key = 0;
  bool read = false;
  try {
    read = registry.openKey(KeyRoot, KeyName, sysinfo::keyAccess, key) == 0 &&
           readValue(key, SubKeyRef, KeyVal);
  } catch (...) {
    registry.closeKey(key);  // an error while reading must not leak the open key
    throw;
  }
  registry.closeKey(key);  // also after a failed open, when the handle is still 0
  if (!read) KeyVal.clear();
  return read;
}

bool FrmAbout::readValue(tk::RegistryService::Key key, const std::string& name,
                         std::string& KeyVal) {
  ValueBuffer buffer{};
  std::uint32_t size = sysinfo::valueBufferSize;
  std::uint32_t type = 0;
  if (platform().registry.queryValue(key, name, type, buffer.data(), size) != 0) return false;
  const std::string text = cutToSize(buffer, size);
  if (type == sysinfo::typeText) {
    KeyVal = text;
  } else if (type == sysinfo::typeNumber) {
    KeyVal = formatGeneral("&h" + KeyVal + hexCodesLastToFirst(text));
  }
  return true;  // other types are read but leave KeyVal as it was
}

}  // namespace about
