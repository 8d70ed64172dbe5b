// k730-manual-pdf: turns a Markdown manual into the PDF the Help menu opens.
// Run at build time: k730-manual-pdf <manual.md> <output.pdf> <title>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QUrl>
#include <QTextTable>

#include <cstdio>

namespace {

// Markdown tables come out without room in their cells; give them padding and
// a thin rule so that a printed table reads like one.
void SpaceOutTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setCellPadding(5);
            format.setCellSpacing(0);
            format.setBorder(1);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderCollapse(true);
            format.setBorderBrush(Qt::gray);
            table->setFormat(format);
        }
        SpaceOutTables(child);
    }
}

// The PDF writer puts a link's address into the file unescaped; a bracket in
// it would break the file, so such addresses are percent-encoded first.
void EscapeLinkBrackets(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            const QString href = format.anchorHref();
            if (!format.isAnchor() || !(href.contains('(') || href.contains(')'))) continue;
            format.setAnchorHref(QString::fromLatin1(QUrl::toPercentEncoding(href, ":/.?&=#%")));
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
}

} // namespace

int main(int argc, char* argv[]) {
    // Fonts come from the offscreen platform: no display is needed at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: k730-manual-pdf <manual.md> <output.pdf> <title>\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "k730-manual-pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(in.readAll()));
    QFont font("DejaVu Sans");
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    SpaceOutTables(document.rootFrame());
    EscapeLinkBrackets(document);

    const QString outPath = QString::fromLocal8Bit(argv[2]);
    QPdfWriter writer(outPath);
    writer.setTitle(QString::fromUtf8(argv[3]));
    writer.setCreator("K730");
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
    document.print(&writer);
    if (QFile(outPath).size() == 0) {
        std::fprintf(stderr, "k730-manual-pdf: nothing written to %s\n", argv[2]);
        return 1;
    }
    return 0;
}
