// TSettingsStore: where the program keeps its settings between runs, one named
// value at a time. The program's store sits on QSettings (organisation
// "MERIDOX", application "K730"); the tests use one held in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k730 {

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // The settings key exists and can be read.
    virtual bool KeyExists() const = 0;
    // The key can be opened with creation; nothing is written when it cannot.
    virtual bool CanWrite() = 0;

    virtual bool Contains(std::string_view name) const = 0;
    // A present value that cannot be read as the asked type gives nullopt, like
    // an absent one; Contains tells the two apart.
    virtual std::optional<int32_t> GetInt(std::string_view name) const = 0;
    virtual std::optional<std::string> GetString(std::string_view name) const = 0;
    virtual std::optional<bool> GetBool(std::string_view name) const = 0;
    virtual std::optional<std::vector<uint8_t>> GetBytes(std::string_view name) const = 0;

    // Each returns false when the value could not be written.
    virtual bool SetInt(std::string_view name, int32_t value) = 0;
    virtual bool SetString(std::string_view name, std::string_view value) = 0;
    virtual bool SetBool(std::string_view name, bool value) = 0;
    virtual bool SetBytes(std::string_view name, const std::vector<uint8_t>& value) = 0;
};

} // namespace k730
