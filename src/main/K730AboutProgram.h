// TFormAboutProgram: the modal dialog with the program's name and version and
// the maker's contact lines over a recoloured watermark.
#pragma once

#include "main/K730Lang.h"

#include <QDialog>
#include <QImage>
#include <QUrl>

#include <functional>

class QLabel;

namespace k730 {

constexpr std::string_view PROGRAM_VERSION = "1.16";

class TFormAboutProgram : public QDialog {
    Q_OBJECT
public:
    using TLinkOpener = std::function<void(const QUrl&)>;

    // `openLink` opens the web page or starts the mail; the desktop's handler
    // when none is given.
    explicit TFormAboutProgram(TLanguage lang, QWidget* parent = nullptr, TLinkOpener openLink = {});

    // Black pixels become the window colour darkened by 8 in each of red, green
    // and blue, all others the window colour.
    static QImage RecolourWatermark(const QImage& bitmap, const QColor& window);

    // Tiles `tile` over `size` with one pixel between tiles; each row of tiles
    // runs on from where the previous row left the panel's right edge.
    static QImage TileWatermark(const QImage& tile, const QSize& size, const QColor& window);

    static QUrl WebUrl(TLanguage lang);
    static QUrl MailUrl();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* AddLine(const char* name, std::string_view text, int y, int height = 0);
    void PaintWatermark();

    TLanguage lang_;
    TLinkOpener openLink_;
    QWidget* panel_ = nullptr;
    QLabel* image_ = nullptr;
    QLabel* web_ = nullptr;
    QLabel* mail_ = nullptr;
};

} // namespace k730
