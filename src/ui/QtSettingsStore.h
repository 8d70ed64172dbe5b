// QtSettingsStore: the program's settings store over QSettings with the
// organisation "MERIDOX" and the application "K730". On Windows that is the
// registry key HKEY_CURRENT_USER "SOFTWARE\MERIDOX\K730"; elsewhere the
// per-user settings file of the same names.
#pragma once

#include "main/SettingsStore.h"

#include <QSettings>

#include <memory>

namespace k730 {

class QtSettingsStore : public TSettingsStore {
public:
    QtSettingsStore();
    // A store on an explicit settings file (tests, other installations' files).
    explicit QtSettingsStore(const QString& iniFile);
    ~QtSettingsStore() override;

    bool KeyExists() const override;
    bool HasValue(std::string_view name) const override;

    std::optional<std::int32_t> GetInteger(std::string_view name) const override;
    std::optional<std::string> GetString(std::string_view name) const override;
    std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view name) const override;

    bool SetInteger(std::string_view name, std::int32_t value) override;
    bool SetString(std::string_view name, std::string_view value) override;
    bool SetBinary(std::string_view name, const std::vector<std::uint8_t>& value) override;

    // Writes pending values out; false when the store could not be written.
    bool Flush();

private:
    bool Put(std::string_view name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

} // namespace k730
