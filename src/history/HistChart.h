// THistChart: the history as a chart beside the grid — the average of each
// record with its minimum–maximum band, the range full scale as a step line,
// over-range records marked, clock time along the x axis. Long histories are
// drawn per pixel column (DecimateHistory). While nobody zoomed it follows
// the whole history as it grows; the wheel and a rubber band zoom, a double
// click goes back to the whole history, and the grid's selection is marked.
#pragma once

#include "files/HistData.h"
#include "main/K730Lang.h"

#include <QChartView>

#include <cstddef>

class QAreaSeries;
class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace k730 {

class THistChart : public QChartView {
    Q_OBJECT
public:
    THistChart(const THistData& data, TLanguage lang, QWidget* parent = nullptr);

    // Draws the visible part again (records added, removed or replaced).
    void Refresh();
    // Back to the whole history, following it as it grows.
    void ResetZoom();
    // Marks records first..last (inclusive) and brings them into view.
    void ShowSelection(int first, int last);

    bool Zoomed() const { return zoomed_; }
    // Points of the average line now drawn (for tests and the benchmark).
    int AveragePointCount() const;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildSeries(TLanguage lang);
    // Milliseconds since 1970 of a record time, for the date-time axis.
    double AxisMs(double recordMs) const;
    double RecordMs(double axisMs) const;
    void Draw(double fromMs, double toMs);
    void DrawSelection();
    void ZoomTo(double fromMs, double toMs);

    const THistData& data_;
    QLineSeries* average_ = nullptr;
    QLineSeries* upper_ = nullptr;
    QLineSeries* lower_ = nullptr;
    QAreaSeries* band_ = nullptr;
    QLineSeries* fullScale_ = nullptr;
    QScatterSeries* over_ = nullptr;
    QLineSeries* selUpper_ = nullptr;
    QLineSeries* selLower_ = nullptr;
    QAreaSeries* selection_ = nullptr;
    QDateTimeAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    bool zoomed_ = false;
    double viewFrom_ = 0, viewTo_ = 0; // record times shown while zoomed
    int selFirst_ = -1, selLast_ = -1;
    double startMs_ = 0; // the registration start on the axis
};

} // namespace k730
