// TSettingsStore: where the program keeps its settings between runs, one value
// per name under the program's own key. The windows use QtSettingsStore (the
// registry key HKEY_CURRENT_USER "SOFTWARE\MERIDOX\K730" on Windows, the
// per-user settings file elsewhere); tests use TMemorySettingsStore.
//
// Integers are 32-bit and booleans are stored as the integers 0 and 1, the way
// the registry holds them, so a key written by one installation reads the same
// in another. Reading distinguishes a missing value (HasValue false) from one
// that is present but cannot be read as the asked type (Get* empty).
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

    // The program's key exists and can be read (nothing is loaded otherwise).
    virtual bool KeyExists() const = 0;
    virtual bool HasValue(std::string_view name) const = 0;

    virtual std::optional<std::int32_t> GetInteger(std::string_view name) const = 0;
    virtual std::optional<std::string> GetString(std::string_view name) const = 0; // UTF-8
    virtual std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view name) const = 0;

    // Each returns false when the value could not be written.
    virtual bool SetInteger(std::string_view name, std::int32_t value) = 0;
    virtual bool SetString(std::string_view name, std::string_view value) = 0;
    virtual bool SetBinary(std::string_view name, const std::vector<std::uint8_t>& value) = 0;

    // Any non-zero integer is true; a value that is not an integer is unreadable.
    std::optional<bool> GetBool(std::string_view name) const {
        const auto value = GetInteger(name);
        if (!value) return std::nullopt;
        return *value != 0;
    }
    bool SetBool(std::string_view name, bool value) { return SetInteger(name, value ? 1 : 0); }
};

} // namespace k730
