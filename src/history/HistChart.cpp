#include "history/HistChart.h"

#include "files/HistFile.h"
#include "history/HistDecimate.h"
#include "history/HistTexts.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace k730 {

namespace {

constexpr double MS_PER_DAY = 86'400'000.0;
constexpr double WHEEL_ZOOM = 1.25; // per notch

QString Q(const TText& text, TLanguage lang) {
    const auto t = text(lang);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

QLineSeries* Line(const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine) {
    auto* s = new QLineSeries;
    QPen pen(colour, width, style);
    s->setPen(pen);
    return s;
}

// The points of one decimated column, in time order.
void AddColumn(const THistChartColumn& c, QList<QPointF>& avg, QList<QPointF>& up, QList<QPointF>& low,
               QList<QPointF>& fs, QList<QPointF>& over, double x0, double x1) {
    const double a0 = c.lowFirst ? c.avgLow : c.avgHigh, a1 = c.lowFirst ? c.avgHigh : c.avgLow;
    avg << QPointF(x0, a0);
    if (x1 != x0 || a1 != a0) avg << QPointF(x1, a1);
    up << QPointF(x0, c.high) << QPointF(x1, c.high);
    low << QPointF(x0, c.low) << QPointF(x1, c.low);
    fs << QPointF(x0, c.fullScale) << QPointF(x1, c.fullScale);
    if (c.over) over << QPointF((x0 + x1) / 2, c.high);
}

} // namespace

THistChart::THistChart(const THistData& data, TLanguage lang, QWidget* parent)
    : QChartView(parent), data_(data) {
    setObjectName("ChartHistory");
    setRenderHint(QPainter::Antialiasing, false); // thousands of points: crisp and fast
    setRubberBand(QChartView::HorizontalRubberBand);
    setMinimumSize(320, 200);
    BuildSeries(lang);
    Refresh();
}

void THistChart::BuildSeries(TLanguage lang) {
    auto* c = new QChart;
    c->setMargins(QMargins(4, 4, 4, 4));
    c->legend()->setAlignment(Qt::AlignBottom);
    upper_ = Line(Qt::transparent, 0);
    lower_ = Line(Qt::transparent, 0);
    band_ = new QAreaSeries(upper_, lower_);
    upper_->setParent(band_); // an area series does not own its edges
    lower_->setParent(band_);
    band_->setName(Q(HIST_SERIES_BAND, lang));
    band_->setBrush(QColor(70, 130, 220, 70));
    band_->setPen(Qt::NoPen);
    average_ = Line(QColor(20, 60, 160), 1.5);
    average_->setName(Q(HIST_SERIES_AVERAGE, lang));
    fullScale_ = Line(QColor(120, 120, 120), 1, Qt::DashLine);
    fullScale_->setName(Q(HIST_SERIES_FULL_SCALE, lang));
    over_ = new QScatterSeries;
    over_->setName(Q(HIST_SERIES_OVER, lang));
    over_->setColor(Qt::red);
    over_->setBorderColor(Qt::red);
    over_->setMarkerSize(7);
    selUpper_ = Line(Qt::transparent, 0);
    selLower_ = Line(Qt::transparent, 0);
    selection_ = new QAreaSeries(selUpper_, selLower_);
    selUpper_->setParent(selection_);
    selLower_->setParent(selection_);
    selection_->setBrush(QColor(255, 190, 0, 70));
    selection_->setPen(Qt::NoPen);
    axisX_ = new QDateTimeAxis;
    axisX_->setFormat("HH:mm:ss");
    axisX_->setTickCount(5);
    axisY_ = new QValueAxis;
    axisY_->setLabelFormat("%.6g");
    c->addAxis(axisX_, Qt::AlignBottom);
    c->addAxis(axisY_, Qt::AlignLeft);
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{selection_, band_, fullScale_, average_, over_}) {
        c->addSeries(s);
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }
    c->legend()->markers(selection_).first()->setVisible(false);
    // The view came with an empty chart of its own, which it gives up here.
    QChart* empty = chart();
    setChart(c);
    delete empty;
}

double THistChart::AxisMs(double recordMs) const {
    return startMs_ + recordMs;
}

double THistChart::RecordMs(double axisMs) const {
    return axisMs - startMs_;
}

void THistChart::Refresh() {
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    startMs_ = static_cast<double>(
        epoch.addMSecs(static_cast<qint64>(std::llround(data_.StartDateTime * MS_PER_DAY)))
            .toMSecsSinceEpoch());
    if (zoomed_) return Draw(viewFrom_, viewTo_);
    const size_t n = data_.Samples.size();
    const double last = n ? static_cast<double>(HistRecordTimeMs(data_, n - 1)) : 60'000;
    Draw(0, std::max(last, 1000.0));
}

void THistChart::Draw(double fromMs, double toMs) {
    const auto [first, last] = HistIndexRange(data_, fromMs, toMs);
    const int columns = std::max(1, static_cast<int>(chart()->plotArea().width()));
    const auto decimated = DecimateHistory(data_, first, last, columns);
    QList<QPointF> avg, up, low, fs, over;
    avg.reserve(static_cast<qsizetype>(2 * decimated.size()));
    double yMin = std::numeric_limits<double>::max(), yMax = std::numeric_limits<double>::lowest();
    // The full scale shares the values' axis: a record over range crosses its line.
    for (const THistChartColumn& c : decimated) {
        AddColumn(c, avg, up, low, fs, over, AxisMs(c.firstMs), AxisMs(c.lastMs));
        for (const double y : {double(c.low), double(c.high), double(c.avgLow), double(c.fullScale)})
            if (std::isfinite(y)) yMin = std::min(yMin, y), yMax = std::max(yMax, y);
    }
    average_->replace(avg);
    upper_->replace(up);
    lower_->replace(low);
    fullScale_->replace(fs);
    over_->replace(over);
    if (yMin > yMax) yMin = 0, yMax = 1;
    const double margin = std::max((yMax - yMin) * 0.05, std::abs(yMax) * 1e-6 + 1e-12);
    axisY_->setRange(std::min(yMin, 0.0) - (yMin < 0 ? margin : 0), yMax + margin);
    axisY_->applyNiceNumbers();
    const double span = toMs - fromMs;
    axisX_->setFormat(span > MS_PER_DAY / 4 ? "dd.MM HH:mm" : span < 20'000 ? "HH:mm:ss.z" : "HH:mm:ss");
    axisX_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisMs(fromMs))),
                     QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisMs(toMs))));
    DrawSelection();
}

void THistChart::DrawSelection() {
    const int n = static_cast<int>(data_.Samples.size());
    QList<QPointF> up, low;
    if (selFirst_ >= 0 && selLast_ < n && selFirst_ <= selLast_) {
        const double step = data_.IntervalMs > 0 ? data_.IntervalMs : 160;
        const double x0 =
            AxisMs(static_cast<double>(HistRecordTimeMs(data_, static_cast<size_t>(selFirst_))) - step);
        const double x1 = AxisMs(static_cast<double>(HistRecordTimeMs(data_, static_cast<size_t>(selLast_))));
        up << QPointF(x0, axisY_->max()) << QPointF(x1, axisY_->max());
        low << QPointF(x0, axisY_->min()) << QPointF(x1, axisY_->min());
    }
    selUpper_->replace(up);
    selLower_->replace(low);
}

void THistChart::ShowSelection(int first, int last) {
    selFirst_ = first;
    selLast_ = last;
    const int n = static_cast<int>(data_.Samples.size());
    if (zoomed_ && first >= 0 && last < n && first <= last) {
        const double from = static_cast<double>(HistRecordTimeMs(data_, static_cast<size_t>(first)));
        const double to = static_cast<double>(HistRecordTimeMs(data_, static_cast<size_t>(last)));
        if (to < viewFrom_ || from > viewTo_) {
            // Outside the zoomed span: move the span over the selection.
            const double width = viewTo_ - viewFrom_;
            viewFrom_ = (from + to) / 2 - width / 2;
            viewTo_ = viewFrom_ + width;
        }
    }
    Refresh();
}

void THistChart::ZoomTo(double fromMs, double toMs) {
    if (toMs - fromMs < 1) return;
    zoomed_ = true;
    viewFrom_ = fromMs;
    viewTo_ = toMs;
    Refresh();
}

void THistChart::ResetZoom() {
    zoomed_ = false;
    Refresh();
}

int THistChart::AveragePointCount() const {
    return static_cast<int>(average_->count());
}

void THistChart::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const double from = RecordMs(static_cast<double>(axisX_->min().toMSecsSinceEpoch()));
    const double to = RecordMs(static_cast<double>(axisX_->max().toMSecsSinceEpoch()));
    const QPointF value = chart()->mapToValue(event->position(), average_);
    const double at = std::clamp(RecordMs(value.x()), from, to);
    const double factor = std::pow(WHEEL_ZOOM, -steps); // wheel up zooms in
    ZoomTo(at - (at - from) * factor, at + (to - at) * factor);
    event->accept();
}

void THistChart::mouseDoubleClickEvent(QMouseEvent* event) {
    ResetZoom();
    event->accept();
}

void THistChart::mouseReleaseEvent(QMouseEvent* event) {
    // When the rubber band has zoomed the axis, that span is drawn from the records.
    const QDateTime from = axisX_->min(), to = axisX_->max();
    QChartView::mouseReleaseEvent(event);
    if (axisX_->min() == from && axisX_->max() == to) return;
    ZoomTo(RecordMs(static_cast<double>(axisX_->min().toMSecsSinceEpoch())),
           RecordMs(static_cast<double>(axisX_->max().toMSecsSinceEpoch())));
}

void THistChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    Refresh(); // as many columns as the plot is wide
}

} // namespace k730
