// The program dialog.
#include "main/K730AboutProgram.h"

#include "main/K730Captions.h"
#include "ui/AccessibleNames.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

static void InitAboutResources() {
    Q_INIT_RESOURCE(K730AboutResources);
}

namespace k730 {

namespace {

// The maker's contact lines.
constexpr std::string_view COMPANY = "MERIDOX Sp. z o.o.";
constexpr TText POSTAL_ADDRESS{"ul. Świetlna 12, 60-101 Poznań", "ul. Świetlna 12, 60-101 Poznań, Poland"};
constexpr TText PHONE_FAX{"tel./fax: +48 61 555 07 30", "phone/fax: +48 61 555 07 30"};
constexpr TText DESCRIPTION{"Program obsługujący mierniki serii K-730 produkcji MERIDOX.",
                            "Program to support K-730 series meters made by MERIDOX."};
constexpr TText VERSION_WORD{"wersja ", "version"};

constexpr int WIDTH = 360;
constexpr int PANEL_MARGIN = 8;
constexpr int TEXT_LEFT = 64;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

TFormAboutProgram::TFormAboutProgram(TLanguage lang, QWidget* parent, TLinkOpener openLink)
    : QDialog(parent), lang_(lang), openLink_(std::move(openLink)) {
    InitAboutResources();
    setObjectName("FormAboutProgram");
    setWindowTitle("K730 " + Q(MainWindowCaption("MenuAboutProgram", lang)));
    if (!openLink_) openLink_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto* frame = new QFrame(this);
    frame->setObjectName("Panel1");
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel_ = frame;
    image_ = new QLabel(panel_);
    image_->setObjectName("Image1");

    auto* icon = new QLabel(panel_);
    icon->setObjectName("ProgramIcon");
    QIcon appIcon = QApplication::windowIcon();
    icon->setPixmap(appIcon.isNull() ? QPixmap(":/about/AboutProgramIcon.png") : appIcon.pixmap(32, 32));
    icon->setGeometry(16, 14, 32, 32);

    QLabel* name = AddLine("ProductName", "K730", 10, 28);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    AddLine("Wersja", std::string(VERSION_WORD(lang)) + " " + std::string(PROGRAM_VERSION), 40);
    QLabel* about = AddLine("Opis", DESCRIPTION(lang), 62, 34);
    about->setWordWrap(true);
    AddLine("Producent", COMPANY, 104);
    AddLine("Adres", POSTAL_ADDRESS(lang), 122);
    AddLine("TelFax", PHONE_FAX(lang), 140);
    web_ = AddLine("LabelWWW", MakerWebCaption(lang), 158);
    mail_ = AddLine("LabelMail", "e-mail: " + std::string(MakerMailAddress()), 176);
    for (QLabel* link : {web_, mail_}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        link->adjustSize();
    }
    panel_->setGeometry(PANEL_MARGIN, PANEL_MARGIN, WIDTH - 2 * PANEL_MARGIN, 200);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    ok->setGeometry((WIDTH - 91) / 2, panel_->geometry().bottom() + 9, 91, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ApplyAccessibleNames(this);
    setFixedSize(WIDTH, ok->geometry().bottom() + 9);
    PaintWatermark();
}

QLabel* TFormAboutProgram::AddLine(const char* name, std::string_view text, int y, int height) {
    auto* label = new QLabel(Q(text), panel_);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TranslucentBackground);
    const int h = height > 0 ? height : label->fontMetrics().height() + 2;
    label->setGeometry(TEXT_LEFT, y, WIDTH - 2 * PANEL_MARGIN - TEXT_LEFT - 8, h);
    return label;
}

QImage TFormAboutProgram::RecolourWatermark(const QImage& bitmap, const QColor& window) {
    const QColor dark(std::max(window.red() - 8, 0), std::max(window.green() - 8, 0),
                      std::max(window.blue() - 8, 0));
    QImage out(bitmap.size(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            out.setPixelColor(x, y, (bitmap.pixel(x, y) & 0xFFFFFF) == 0 ? dark : window);
    return out;
}

QImage TFormAboutProgram::TileWatermark(const QImage& tile, const QSize& size, const QColor& window) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(window);
    if (tile.isNull() || size.isEmpty()) return out;
    const int stepX = tile.width() + 1;
    const int stepY = tile.height() + 1;
    QPainter painter(&out);
    long long runOn = 0; // where in the endless line of tiles this row begins
    for (int y = 0; y < size.height(); y += stepY) {
        for (int x = -int(runOn % stepX); x < size.width(); x += stepX)
            painter.drawImage(x, y, tile);
        runOn += size.width();
    }
    return out;
}

QUrl TFormAboutProgram::WebUrl(TLanguage lang) {
    return QUrl(Q(MakerWebUrl(lang)));
}
QUrl TFormAboutProgram::MailUrl() {
    return QUrl("mailto:" + Q(MakerMailAddress()));
}

void TFormAboutProgram::PaintWatermark() {
    const QColor window = palette().color(QPalette::Window);
    const QImage tile = RecolourWatermark(QImage(":/about/AboutWatermark.png"), window);
    // Inside the panel's bevel.
    const QRect inside = panel_->rect().adjusted(2, 2, -2, -2);
    image_->setGeometry(inside);
    image_->setPixmap(QPixmap::fromImage(TileWatermark(tile, inside.size(), window)));
    image_->lower();
}

void TFormAboutProgram::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PaintWatermark();
}

bool TFormAboutProgram::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (!link || (link != web_ && link != mail_)) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave: {
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText,
                   event->type() == QEvent::Enter ? QColor(Qt::blue) : QColor(Qt::black));
        link->setPalette(p);
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            openLink_(link == web_ ? WebUrl(lang_) : MailUrl());
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace k730
