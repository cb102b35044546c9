#include "toolkit/testing/test_platform.h"

#include <algorithm>

#include "toolkit/form.h"

namespace tk::testing {

void HeadlessWindows::show(Form& form) {
  shown.push_back(form.name());
  open.insert(&form);
}

void HeadlessWindows::unload(Form& form) { open.erase(&form); }

void HeadlessWindows::askForAttention(Form& form) { attentionAskedFor.push_back(form.name()); }

void RecordedMessages::show(std::string_view text, std::string_view) {
  texts.emplace_back(text);
  if (whileOpen) whileOpen();
}

std::optional<Colour> ScriptedColourDialog::choose(Colour initial) {
  openedWith.push_back(initial);
  if (whileOpen) whileOpen();
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

bool RecordedProcesses::start(const std::string& path) {
  if (startable.count(path) == 0) return false;
  started.push_back(path);
  return true;
}

long ScriptedRegistry::openKey(Key, const std::string& path, std::uint32_t, Key& key) {
  opened.push_back(path);
  if (keys.count(path) == 0) return 2;  // ERROR_FILE_NOT_FOUND
  handles_.push_back(path);
  key = handles_.size();
  return 0;
}

long ScriptedRegistry::queryValue(Key key, const std::string& name, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& size) {
  if (key == 0 || key > handles_.size()) return 6;  // ERROR_INVALID_HANDLE
  const auto& values = keys[handles_[key - 1]];
  auto it = values.find(name);
  if (it == values.end()) return 2;
  if (it->second.data.size() > size) return 234;  // ERROR_MORE_DATA
  type = it->second.type;
  size = static_cast<std::uint32_t>(it->second.data.size());
  // An empty value may come with no buffer at all, which memcpy must not be given.
  std::copy(it->second.data.begin(), it->second.data.end(), data);
  return 0;
}

}  // namespace tk::testing
