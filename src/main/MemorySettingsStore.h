// TMemorySettingsStore: a settings store held in memory, for tests and tools.
// Values keep the type they were written with, so reading an integer where a
// string was stored fails the way a registry value of the wrong type does.
#pragma once

#include "main/SettingsStore.h"

#include <map>
#include <variant>

namespace k730 {

class TMemorySettingsStore : public TSettingsStore {
public:
    using TValue = std::variant<std::int32_t, std::string, std::vector<std::uint8_t>>;

    bool KeyExists() const override { return !values_.empty(); }
    bool HasValue(std::string_view name) const override { return values_.count(std::string(name)) != 0; }

    std::optional<std::int32_t> GetInteger(std::string_view name) const override {
        return Get<std::int32_t>(name);
    }
    std::optional<std::string> GetString(std::string_view name) const override {
        return Get<std::string>(name);
    }
    std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view name) const override {
        return Get<std::vector<std::uint8_t>>(name);
    }

    bool SetInteger(std::string_view name, std::int32_t value) override { return Put(name, value); }
    bool SetString(std::string_view name, std::string_view value) override {
        return Put(name, std::string(value));
    }
    bool SetBinary(std::string_view name, const std::vector<std::uint8_t>& value) override {
        return Put(name, value);
    }

    // Direct access for tests that prepare or inspect a key.
    std::map<std::string, TValue, std::less<>>& Values() { return values_; }

private:
    template <typename T> std::optional<T> Get(std::string_view name) const {
        const auto it = values_.find(name);
        if (it == values_.end()) return std::nullopt;
        if (const T* value = std::get_if<T>(&it->second)) return *value;
        return std::nullopt;
    }
    bool Put(std::string_view name, TValue value) {
        values_[std::string(name)] = std::move(value);
        return true;
    }

    std::map<std::string, TValue, std::less<>> values_;
};

} // namespace k730
