// Texts of the connection controller, Polish first.
#pragma once

#include "main/K730Lang.h"

namespace k730 {

inline constexpr TText txtSearchItem{"szukaj...", "search..."};
inline constexpr TText txtMeterChanged{"Wykryto zmianę miernika.\r\nProcedura kalibracji została przerwana.",
                                       "Meter was changed.\r\nCalibration procedure aborted."};
inline constexpr TText txtCalSaveRefused{"Programowanie współczynników kalibracji nie powiodło się.",
                                         "Saving calibration factors was unsuccessful."};
// %s = "MerBUS" or "MODBUS", then the address in hexadecimal digits.
inline constexpr TText txtAddressSet{"Adres protokołu %s ustawiono na 0x%s", "%s address was set as 0x%s"};
// %s = the range's full-scale text and unit.
inline constexpr TText txtDefaultRangeSet{"Domyślny zakres pomiarowy ustawiono na %s",
                                          "Default measuring range was set as %s."};
inline constexpr TText txtZeroingInProgress{"Trwa zerowanie", "Zeroing in progress"};

} // namespace k730
