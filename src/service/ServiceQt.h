// Text between the service windows' toolkit-free rules (UTF-8 std::string)
// and their Qt controls.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace k730::svcqt {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace k730::svcqt
