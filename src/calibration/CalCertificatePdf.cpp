#include "calibration/CalCertificatePdf.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace k730 {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QFont Font(double points, bool bold = false, bool italic = false) {
    QFont font("DejaVu Sans");
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The page in points (the writer runs at 72 dots per inch), inside the margins.
class TPage {
public:
    TPage(QPainter& painter, double width, double height) : p_(painter), width_(width), height_(height) {}

    double y = 0;

    void Centred(const QString& text, const QFont& font, const QColor& colour = Qt::black) {
        p_.setFont(font);
        p_.setPen(colour);
        const double h = QFontMetricsF(font).height();
        p_.drawText(QRectF(0, y, width_, h), Qt::AlignHCenter | Qt::AlignVCenter, text);
        y += h;
    }

    void Rule(double thickness = 0.8) {
        p_.setPen(QPen(Qt::black, thickness));
        p_.drawLine(QPointF(0, y), QPointF(width_, y));
    }

    void Facts(const std::vector<std::pair<std::string, std::string>>& facts) {
        const double h = QFontMetricsF(Font(10)).height() * 1.5;
        for (const auto& [label, value] : facts) {
            p_.setPen(Qt::black);
            p_.setFont(Font(10, true));
            p_.drawText(QRectF(0, y, width_ * 0.42, h), Qt::AlignLeft | Qt::AlignVCenter, Q(label) + ":");
            p_.setFont(Font(10));
            p_.drawText(QRectF(width_ * 0.42, y, width_ * 0.58, h), Qt::AlignLeft | Qt::AlignVCenter,
                        Q(value));
            y += h;
        }
    }

    void Table(const std::string (&columns)[3], const std::vector<TCalCertificateRow>& rows) {
        const double x[] = {0, width_ * 0.54, width_ * 0.77, width_};
        const double h = QFontMetricsF(Font(10)).height() * 1.8;
        auto row = [&](const std::string(&cells)[3], bool header) {
            if (header) p_.fillRect(QRectF(0, y, width_, h), QColor(0xE8, 0xE8, 0xE8));
            p_.setPen(QPen(Qt::black, 0.6));
            p_.drawRect(QRectF(0, y, width_, h));
            for (int c = 0; c < 3; ++c) {
                if (c > 0) p_.drawLine(QPointF(x[c], y), QPointF(x[c], y + h));
                p_.setFont(Font(10, header));
                const int align = (c == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
                p_.drawText(QRectF(x[c] + 6, y, x[c + 1] - x[c] - 12, h), align, Q(cells[c]));
            }
            y += h;
        };
        row(columns, true);
        for (const TCalCertificateRow& r : rows) {
            const std::string cells[3] = {r.name, r.asFound, r.asLeft};
            row(cells, false);
        }
    }

    void Comment(const std::string& label, const std::string& text) {
        p_.setPen(Qt::black);
        p_.setFont(Font(10, true));
        const double h = QFontMetricsF(Font(10)).height();
        p_.drawText(QRectF(0, y, width_, h), Qt::AlignLeft, Q(label) + ":");
        y += h + 4;
        const double box = h * 5 + 12;
        p_.setPen(QPen(Qt::gray, 0.6));
        p_.drawRect(QRectF(0, y, width_, box));
        p_.setPen(Qt::black);
        p_.setFont(Font(10));
        p_.drawText(QRectF(6, y + 6, width_ - 12, box - 12), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                    Q(text).replace("\r\n", "\n"));
        y += box;
    }

    // Lines to write on, from the bottom of the page upwards.
    void Signatures(const TCalCertificate& c) {
        const double h = QFontMetricsF(Font(9)).height();
        const double lineY = height_ - 60;
        struct TField {
            double x, w;
            const std::string* label;
        };
        const TField fields[] = {{0, width_ * 0.46, &c.technicianLabel},
                                 {width_ * 0.52, width_ * 0.28, &c.signatureLabel},
                                 {width_ * 0.84, width_ * 0.16, &c.dateLabel}};
        for (const TField& f : fields) {
            p_.setPen(QPen(Qt::black, 0.6));
            p_.drawLine(QPointF(f.x, lineY), QPointF(f.x + f.w, lineY));
            p_.setFont(Font(9));
            p_.drawText(QRectF(f.x, lineY + 3, f.w, h), Qt::AlignLeft, Q(*f.label));
        }
        p_.setPen(Qt::darkGray);
        p_.setFont(Font(8, false, true));
        p_.drawText(
            QRectF(0, height_ - QFontMetricsF(Font(8)).height(), width_, QFontMetricsF(Font(8)).height()),
            Qt::AlignHCenter, Q(c.footer));
    }

private:
    QPainter& p_;
    double width_;
    double height_;
};

} // namespace

bool WriteCalCertificatePdf(const TCalCertificate& c, const std::string& path) {
    const QString file = QString::fromStdString(path);
    {
        QPdfWriter writer(file);
        writer.setTitle(Q(c.title));
        writer.setCreator("K730");
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
        writer.setResolution(72);
        QPainter painter;
        if (!painter.begin(&writer)) return false;
        painter.setRenderHint(QPainter::Antialiasing);
        TPage page(painter, writer.width(), writer.height());
        page.Centred(Q(c.title), Font(20, true));
        page.y += 4;
        page.Centred(Q(c.subject), Font(10, false, true), Qt::darkGray);
        page.y += 10;
        page.Rule(1.2);
        page.y += 14;
        page.Facts(c.facts);
        page.y += 18;
        page.Centred(Q(c.factorsHeading), Font(12, true));
        page.y += 6;
        page.Table(c.columns, c.rows);
        page.y += 22;
        page.Comment(c.commentLabel, c.comment);
        page.Signatures(c);
        if (!painter.end()) return false;
    }
    return QFile(file).size() > 0;
}

} // namespace k730
