// A settings store held in memory that can be told to fail the way a real
// store does: a key that is not there, values that cannot be written.
#pragma once

#include "main/SettingsStore.h"

#include <map>
#include <variant>

namespace k730::test {

class TFaultySettingsStore : public TSettingsStore {
public:
    using TValue = std::variant<int32_t, std::string, std::vector<uint8_t>>;

    std::map<std::string, TValue, std::less<>> Values;
    bool Exists = true;      // the key is there even while it holds no value
    bool Writable = true;    // false: the key cannot be created, nothing is written
    std::string FailWriteAt; // value name whose write fails

    bool KeyExists() const override { return Exists; }
    bool HasValue(std::string_view name) const override { return Values.find(name) != Values.end(); }

    std::optional<int32_t> GetInteger(std::string_view name) const override { return Get<int32_t>(name); }
    std::optional<std::string> GetString(std::string_view name) const override {
        return Get<std::string>(name);
    }
    std::optional<std::vector<uint8_t>> GetBinary(std::string_view name) const override {
        return Get<std::vector<uint8_t>>(name);
    }

    bool SetInteger(std::string_view name, int32_t v) override { return Set(name, v); }
    bool SetString(std::string_view name, std::string_view v) override { return Set(name, std::string(v)); }
    bool SetBinary(std::string_view name, const std::vector<uint8_t>& v) override { return Set(name, v); }

private:
    template <class T> std::optional<T> Get(std::string_view name) const {
        auto it = Values.find(name);
        if (it == Values.end() || !std::holds_alternative<T>(it->second)) return std::nullopt;
        return std::get<T>(it->second);
    }
    bool Set(std::string_view name, TValue v) {
        if (!Writable || name == FailWriteAt) return false;
        Exists = true;
        Values.insert_or_assign(std::string(name), std::move(v));
        return true;
    }
};

} // namespace k730::test
