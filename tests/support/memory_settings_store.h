// Settings kept in memory: each value's kind and bytes (a text as its
// bytes), the names read or written in order, and switches for a store that
// does not open or did not exist before.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "document/settings_store.h"

namespace vantrel::test {

class MemorySettingsStore final : public SettingsStore {
 public:
  using Value = std::pair<SettingKind, std::vector<std::uint8_t>>;

  bool Open(bool& existed) override { return existed = exists, opens; }
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& name,
                                                     SettingKind kind) override {
    visited.push_back(name);
    const auto it = values.find(name);
    if (it == values.end() || it->second.first != kind) return std::nullopt;
    return it->second.second;
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    const auto bytes = ReadBytes(name, SettingKind::Text);
    return bytes ? std::optional(std::string(bytes->begin(), bytes->end())) : std::nullopt;
  }
  void WriteBytes(const std::string& name, SettingKind kind,
                  std::span<const std::uint8_t> bytes) override {
    visited.push_back(name);
    values[name] = {kind, {bytes.begin(), bytes.end()}};
  }
  void WriteText(const std::string& name, const std::string& text) override {
    WriteBytes(name, SettingKind::Text,
               {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  bool Close() override { return ++closes, true; }

  template <class T>
  void Put(const std::string& name, SettingKind kind, const T& value) {
    values[name] = {kind, std::vector<std::uint8_t>(sizeof value)};
    std::memcpy(values[name].second.data(), &value, sizeof value);
  }
  void PutText(const std::string& name, const std::string& text) {
    values[name] = {SettingKind::Text, {text.begin(), text.end()}};
  }

  std::map<std::string, Value> values;
  std::vector<std::string> visited;
  bool exists = true, opens = true;
  int closes = 0;
};

}  // namespace vantrel::test
