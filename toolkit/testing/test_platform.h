#pragma once
// A platform for headless tests: virtual time, recorded messages and processes, a scripted
// colour dialog and a scripted registry. No display is needed.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "toolkit/event_loop.h"
#include "toolkit/services.h"

namespace tk::testing {

class HeadlessWindows : public WindowSystem {
 public:
  void show(Form& form) override;
  void unload(Form& form) override;
  void askForAttention(Form& form) override;
  std::vector<std::string> shown;              // names of forms, in the order show() was called
  std::vector<std::string> attentionAskedFor;  // names of forms, in order
  std::set<const Form*> open;
};

// What a test does while a modal dialog is open, as the user takes their time: typically moving
// virtual time on, which fires timers inside the dialog as a real dialog's own loop does.
using WhileOpen = std::function<void()>;

class RecordedMessages : public MessageBoxService {
 public:
  void show(std::string_view text, std::string_view title) override;
  std::vector<std::string> texts;
  WhileOpen whileOpen;
};

// Answers each colour dialog with the next scripted answer (nothing = Cancel).
class ScriptedColourDialog : public ColourDialogService {
 public:
  std::optional<Colour> choose(Colour initial) override;
  std::deque<std::optional<Colour>> answers;
  std::vector<Colour> openedWith;
  WhileOpen whileOpen;
};

class FakeFiles : public FileSystemService {
 public:
  bool isPlainFile(const std::string& path) override { return plainFiles.count(path) > 0; }
  std::set<std::string> plainFiles;
};

class RecordedProcesses : public ProcessService {
 public:
  bool start(const std::string& path) override;
  void endProcess(int status) override { endStatus = status; }
  std::set<std::string> startable;  // paths that start; any other path fails
  std::vector<std::string> started;
  std::optional<int> endStatus;
};

// Keys and values as a test lays them out; every call is recorded.
class ScriptedRegistry : public RegistryService {
 public:
  struct Value {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) override;
  long queryValue(Key key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override;
  void closeKey(Key key) override { closed.push_back(key); }

  std::map<std::string, std::map<std::string, Value>> keys;  // key path -> value name -> value
  std::vector<std::string> opened;                           // key paths asked for
  std::vector<Key> closed;

 private:
  std::vector<std::string> handles_;  // handle k + 1 -> key path
};

// Every service a test double, on the window system `Windows` (none by default, or a real one
// for a backend's tests).
template <typename Windows = HeadlessWindows>
struct TestPlatformOn {
  VirtualEventLoop loop;
  Windows windows;
  RecordedMessages messages;
  ScriptedColourDialog colours;
  FakeFiles files;
  RecordedProcesses processes;
  ScriptedRegistry registry;
  Platform platform{loop,  windows,   messages, colours,
                    files, processes, registry, AppInfo{"Bransk - Quorvel - Clock", 1, 2, 0}};
};
using TestPlatform = TestPlatformOn<>;

}  // namespace tk::testing
