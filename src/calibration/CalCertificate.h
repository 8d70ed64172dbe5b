// The calibration certificate of one history record: the texts of the
// one-page certificate a lab keeps per calibration, in the program's
// language — the meter, the date, the calibration temperature, the factors
// as found and as left, the comment and the lines for the technician.
// Drawing it is CalCertificatePdf's.
#pragma once

#include "files/CalExport.h"
#include "files/CalLog.h"

#include <string>
#include <utility>
#include <vector>

namespace k730 {

struct TCalCertificateRow {
    std::string name;
    std::string asFound;
    std::string asLeft;
};

struct TCalCertificate {
    std::string title;
    std::string subject; // what was calibrated
    std::vector<std::pair<std::string, std::string>> facts;
    std::string factorsHeading;
    std::string columns[3]; // factor, as found, as left
    std::vector<TCalCertificateRow> rows;
    std::string commentLabel;
    std::string comment; // lines separated by CR LF; empty for none
    std::string technicianLabel;
    std::string signatureLabel;
    std::string dateLabel;
    std::string footer;
};

// `issued`: the day count the certificate is made on.
TCalCertificate MakeCalCertificate(const TCalLogRecord& record, const TCalTextFormat& format, double issued);

} // namespace k730
