#include "ui/QtSettingsStore.h"

#include <limits>

namespace k730 {

namespace {

QString Key(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

QtSettingsStore::QtSettingsStore() : settings_(std::make_unique<QSettings>("MERIDOX", "K730")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() {
    settings_->sync();
}

bool QtSettingsStore::KeyExists() const {
    return settings_->status() == QSettings::NoError && !settings_->allKeys().isEmpty();
}

bool QtSettingsStore::HasValue(std::string_view name) const {
    return settings_->contains(Key(name));
}

std::optional<std::int32_t> QtSettingsStore::GetInteger(std::string_view name) const {
    const QVariant value = settings_->value(Key(name));
    if (!value.isValid()) return std::nullopt;
    // The settings file keeps numbers as text; the registry as DWORDs. Both
    // convert here, anything else (a word, a number beyond 32 bits) does not.
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    // A DWORD above 0x7FFFFFFF reads back as the same 32 bits.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::optional<std::string> QtSettingsStore::GetString(std::string_view name) const {
    const QVariant value = settings_->value(Key(name));
    if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
    return value.toString().toStdString();
}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::GetBinary(std::string_view name) const {
    const QVariant value = settings_->value(Key(name));
    if (!value.isValid() || value.typeId() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool QtSettingsStore::SetInteger(std::string_view name, std::int32_t value) {
    return Put(name, value);
}

bool QtSettingsStore::SetString(std::string_view name, std::string_view value) {
    return Put(name, QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool QtSettingsStore::SetBinary(std::string_view name, const std::vector<std::uint8_t>& value) {
    return Put(name,
               QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
}

bool QtSettingsStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::Put(std::string_view name, const QVariant& value) {
    if (!settings_->isWritable()) return false;
    settings_->setValue(Key(name), value);
    return settings_->status() == QSettings::NoError;
}

} // namespace k730
