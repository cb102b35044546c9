#pragma once
// Platform services the forms use, each behind an interface with a real implementation (the
// Qt backend, the operating system) and a test one (toolkit/testing).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/types.h"

namespace tk {

class Form;

// Shows and removes the windows of forms.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual void show(Form& form) = 0;    // without blocking; the form is loaded already
  virtual void unload(Form& form) = 0;  // the window goes away; the form object stays
  // Asks the user to come to the form's window when it is not the active one (minimised or
  // behind others): the window manager's urgency hint, a flashing task-bar button. The request
  // lasts until the user comes to the window. Where the window system cannot ask, nothing.
  virtual void askForAttention(Form& /*form*/) {}
};

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // A modal box with an OK button; returns when the user closes it. An empty title means the
  // application's title.
  virtual void show(std::string_view text, std::string_view title = {}) = 0;
};

class ColourDialogService {
 public:
  virtual ~ColourDialogService() = default;
  // A modal colour dialog opened on `initial`; the chosen colour, or nothing after Cancel.
  virtual std::optional<Colour> choose(Colour initial) = 0;
};

class FileSystemService {
 public:
  virtual ~FileSystemService() = default;
  // True for an existing plain file (not a folder, not hidden or a system file).
  virtual bool isPlainFile(const std::string& path) = 0;
};

class ProcessService {
 public:
  virtual ~ProcessService() = default;
  // Starts the program at `path` as a new process, directly (never through a shell), without
  // waiting for it. False when it could not be started.
  virtual bool start(const std::string& path) = 0;
  // Ends this process at once with the given exit status; no further event runs.
  virtual void endProcess(int status) = 0;
};

// A read-only view of the Windows registry, with the result codes of the Win32 calls (0 is
// success). Elsewhere a portable stand-in answers the same questions.
class RegistryService {
 public:
  using Key = std::uintptr_t;
  virtual ~RegistryService() = default;
  virtual long openKey(Key root, const std::string& path, std::uint32_t access, Key& key) = 0;
  // Reads value `name` into `data` (capacity `size` bytes); on return `size` holds the number of
  // data bytes and `type` the value's type.
  virtual long queryValue(Key key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                          std::uint32_t& size) = 0;
  virtual void closeKey(Key key) = 0;
};

struct AppInfo {
  std::string title;
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class EventLoop;

// Everything a form needs from its surroundings.
struct Platform {
  EventLoop& loop;
  WindowSystem& windows;
  MessageBoxService& messages;
  ColourDialogService& colours;
  FileSystemService& files;
  ProcessService& processes;
  RegistryService& registry;
  AppInfo app;
};

}  // namespace tk
