// Draws a calibration certificate as a one-page A4 PDF with Qt's PDF writer
// and the fonts of the manuals. Needs a QGuiApplication for its fonts; the
// program and k730-tool (in builds with Qt) both use it.
#pragma once

#include "calibration/CalCertificate.h"

#include <string>

namespace k730 {

// False when the file cannot be written.
bool WriteCalCertificatePdf(const TCalCertificate& certificate, const std::string& path);

} // namespace k730
