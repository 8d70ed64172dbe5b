// TFormAboutMeter: the modal summary of the connected meter's identity,
// ranges, addresses and calibration factors.
#pragma once

#include "main/InfoDialogTexts.h"

#include <QDialog>
#include <QRect>

#include <functional>
#include <vector>

namespace k730 {

class TFormAboutMeter : public QDialog {
    Q_OBJECT
public:
    // What the layout needs to know about the font and the producer box.
    struct TMetrics {
        std::function<int(const std::string&)> TextWidth;
        int LineHeight = 16;
        int TabStop = 48;                                 // values start at the next multiple of it
        std::function<QSize(const std::string&)> BoxSize; // producer box for a text
    };

    struct TPlacedRow {
        QRect Label;
        QRect Value; // empty for the header row
    };

    struct TLayout {
        std::vector<TPlacedRow> Rows; // one per row, in order
        QRect ButtonOK;
        QSize Client;
        bool DescriptorBelowType = false;
    };

    static constexpr int LEFT = 8;
    static constexpr int BUTTON_WIDTH = 91;
    static constexpr int BUTTON_HEIGHT = 28;
    static constexpr int BUTTON_GAP = 10;
    static constexpr int HEADER_GAP = 6;
    static constexpr int PRODUCER_MAX_LINES = 8;

    // Places rows whose labels are already padded: one label column from the
    // left margin, values at the next tab stop, the type line on top.
    static TLayout ComputeLayout(const std::vector<TAboutRow>& rows, const TMetrics& metrics);

    TFormAboutMeter(const TAboutMeterFacts& facts, TLanguage lang, QWidget* parent = nullptr);

    // Shows the dialog modally over `parent`; a dialog that cannot be built is
    // not shown. Returns whether it was shown.
    static bool Execute(const TAboutMeterFacts& facts, TLanguage lang, QWidget* parent);

private:
    void PlaceOverParent();
};

} // namespace k730
