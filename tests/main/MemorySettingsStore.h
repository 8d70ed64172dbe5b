// A settings store held in memory, with switches to make it fail the way a
// real store can.
#pragma once

#include "main/SettingsStore.h"

#include <map>
#include <variant>

namespace k730::test {

class TMemorySettingsStore : public TSettingsStore {
public:
    using TValue = std::variant<int32_t, std::string, bool, std::vector<uint8_t>>;

    std::map<std::string, TValue, std::less<>> Values;
    bool Exists = true;
    bool Writable = true;
    std::string FailWriteAt; // value name whose write fails

    bool KeyExists() const override { return Exists; }
    bool CanWrite() override {
        if (Writable) Exists = true;
        return Writable;
    }
    bool Contains(std::string_view name) const override { return Values.find(name) != Values.end(); }

    std::optional<int32_t> GetInt(std::string_view name) const override { return Get<int32_t>(name); }
    std::optional<std::string> GetString(std::string_view name) const override {
        return Get<std::string>(name);
    }
    std::optional<bool> GetBool(std::string_view name) const override {
        // Booleans are stored as integers 0/1; both forms read back.
        if (auto i = Get<int32_t>(name)) return *i != 0;
        return Get<bool>(name);
    }
    std::optional<std::vector<uint8_t>> GetBytes(std::string_view name) const override {
        return Get<std::vector<uint8_t>>(name);
    }

    bool SetInt(std::string_view name, int32_t v) override { return Set(name, v); }
    bool SetString(std::string_view name, std::string_view v) override { return Set(name, std::string(v)); }
    bool SetBool(std::string_view name, bool v) override { return Set(name, int32_t(v ? 1 : 0)); }
    bool SetBytes(std::string_view name, const std::vector<uint8_t>& v) override { return Set(name, v); }

private:
    template <class T> std::optional<T> Get(std::string_view name) const {
        auto it = Values.find(name);
        if (it == Values.end() || !std::holds_alternative<T>(it->second)) return std::nullopt;
        return std::get<T>(it->second);
    }
    bool Set(std::string_view name, TValue v) {
        if (name == FailWriteAt) return false;
        Values.insert_or_assign(std::string(name), std::move(v));
        return true;
    }
};

} // namespace k730::test
