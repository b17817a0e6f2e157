// Build step: draws an SVG icon into a square PNG of the given size, so that the program
// shows ready pixmaps instead of rendering SVG while its first window paints.
//
//   rendericons SOURCE.svg TARGET.png SIZE

#include <cstdio>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: rendericons SOURCE.svg TARGET.png SIZE\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const int size = QByteArray(argv[3]).toInt();
    if (!renderer.isValid() || size <= 0) {
        std::fprintf(stderr, "rendericons: cannot draw %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
