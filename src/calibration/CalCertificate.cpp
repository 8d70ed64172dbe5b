#include "calibration/CalCertificate.h"

#include "calibration/CalTexts.h"
#include "calibration/CalValues.h"
#include "files/DayCount.h"

namespace k730 {
namespace {

constexpr TText title{"ŚWIADECTWO KALIBRACJI", "CALIBRATION CERTIFICATE"};
constexpr TText subject{"Kalibracja wyjścia pętli prądowej 4–20 mA i wyniku miernika K-730",
                        "Calibration of the 4–20 mA current loop output and of the result of a K-730 meter"};
constexpr TText meterType{"Typ miernika", "Meter type"};
constexpr TText serialYear{"Numer seryjny / rok produkcji", "Serial number / production year"};
constexpr TText dateTime{"Data i czas kalibracji", "Calibration date and time"};
constexpr TText temperature{"Temperatura kalibracji", "Calibration temperature"};
constexpr TText factors{"Współczynniki kalibracji", "Calibration factors"};
constexpr TText factorColumn{"Współczynnik", "Factor"};
constexpr TText asFound{"Przed kalibracją", "As found"};
constexpr TText asLeft{"Po kalibracji", "As left"};
constexpr TText forcing{"Wartość wymuszająca prąd pętli 4mA", "Value forcing 4mA current"};
constexpr TText loop{"Współczynnik kalibracji pętli prądowej", "Current loop calibration factor"};
constexpr TText result{"Współczynnik kalibracji wyniku", "Result calibration factor"};
constexpr TText comment{"Komentarz", "Comment"};
constexpr TText technician{"Kalibrację wykonał (imię i nazwisko)", "Calibrated by (name)"};
constexpr TText signature{"Podpis", "Signature"};
constexpr TText date{"Data", "Date"};
constexpr TText footer{"Wystawiono programem K730 dnia %s na podstawie historii kalibracji.",
                       "Issued by the K730 program on %s from the calibration history log."};

std::string S(TText t, TLanguage lang) {
    return std::string(t(lang));
}

} // namespace

TCalCertificate MakeCalCertificate(const TCalLogRecord& r, const TCalTextFormat& f, double issued) {
    const TLanguage l = f.lang;
    TCalCertificate c;
    c.title = S(title, l);
    c.subject = S(subject, l);
    c.facts = {{S(meterType, l), r.MeterType},
               {S(serialYear, l), CalSerialText(r)},
               {S(dateTime, l),
                FormatDate(r.CalDateTime, f.dateSep) + " " + FormatTimeHNS(r.CalDateTime, f.timeSep)},
               {S(temperature, l), CalTemperatureText(r.CalTempCode, f.decimal)}};
    c.factorsHeading = S(factors, l);
    c.columns[0] = S(factorColumn, l);
    c.columns[1] = S(asFound, l);
    c.columns[2] = S(asLeft, l);
    c.rows = {
        {S(forcing, l), HexValueText(r.OldForcingValue4mA, 4), HexValueText(r.NewForcingValue4mA, 4)},
        {S(loop, l), FactorText(r.OldLoopFactor, f.decimal), FactorText(r.NewLoopFactor, f.decimal)},
        {S(result, l), FactorText(r.OldResultFactor, f.decimal), FactorText(r.NewResultFactor, f.decimal)}};
    c.commentLabel = S(comment, l);
    c.comment = r.Comment;
    c.technicianLabel = S(technician, l);
    c.signatureLabel = S(signature, l);
    c.dateLabel = S(date, l);
    const std::string day = FormatDate(issued, f.dateSep);
    c.footer = S(footer, l);
    c.footer.replace(c.footer.find("%s"), 2, day);
    return c;
}

} // namespace k730
