// render-icon: draws the scalable menu icon into the bitmap sizes that icon themes and older
// desktops look for, at build time, so the bitmaps never drift from the drawing.
//
// usage: render-icon ICON.svg OUTPUT_FOLDER SIZE...    writes OUTPUT_FOLDER/SIZExSIZE.png

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: render-icon ICON.svg OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.isValid()) {
        std::fprintf(stderr, "render-icon: %s is no drawing\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::stoi(argv[i]);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawing.render(&painter);
        painter.end();
        const QString file = QStringLiteral("%1/%2x%2.png").arg(folder).arg(size);
        if (!image.save(file)) {
            std::fprintf(stderr, "render-icon: cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
