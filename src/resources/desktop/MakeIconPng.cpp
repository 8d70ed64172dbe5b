// k730-icon-png SVG SIZE OUT.png: renders the application icon at one size for
// the desktop's icon theme, so the PNGs always match the one drawing.
#include "resources/desktop/SvgIcon.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: k730-icon-png SVG SIZE OUT.png\n");
        return 2;
    }
    QSvgRenderer drawing{QString::fromLocal8Bit(argv[1])};
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    if (!drawing.isValid() || size <= 0) {
        std::fprintf(stderr, "k730-icon-png: cannot draw %s at %s px\n", argv[1], argv[2]);
        return 1;
    }
    if (!k730::RenderSvgIcon(drawing, size).save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "k730-icon-png: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
