// Where the receiver keeps its settings between runs: one key of named
// values, opened once while the document is constructed (load) and once
// while it is destroyed (save). The desktop program keeps the key in a
// settings file; the tests use an in-memory fake.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What a value holds; the store chooses how to write each kind down.
enum class SettingKind {
  Integer,  // 4 bytes, a signed 32-bit integer
  Double,   // 8 bytes, an IEEE-754 double
  Record,   // the bytes of a satellite record, byte for byte
  Text,     // a text of any length
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens the key, creating it when absent; existed tells whether it was
  // there before. False when it can be neither opened nor created.
  virtual bool Open(bool& existed) = 0;

  // The value's bytes as the receiver keeps them in memory (machine byte
  // order): 4 for an integer, 8 for a double, a record's bytes as stored.
  // Nothing when the value is missing or does not read as that kind.
  virtual std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& name,
                                                             SettingKind kind) = 0;
  virtual std::optional<std::string> ReadText(const std::string& name) = 0;

  virtual void WriteBytes(const std::string& name, SettingKind kind,
                          std::span<const std::uint8_t> bytes) = 0;
  virtual void WriteText(const std::string& name, const std::string& text) = 0;

  // Closes the key, committing what was written. False when the written
  // values could not be stored (the previous contents then stand).
  virtual bool Close() = 0;
};

// The value names in the order load and save visit them; records of
// satellites above 36 ("Sat37" .. "Sat255") follow, for those heard.
const std::vector<std::string>& SettingNames();

}  // namespace vantrel
