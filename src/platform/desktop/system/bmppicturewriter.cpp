#include "bmppicturewriter.h"

#include "platformerror.h"
#include "userfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BmpPictureWriter", text);
}

} // namespace

void BmpPictureWriter::SavePicture(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        throw PlatformError(ErrorCode::InvalidPicture, tr("Invalid picture"));

    // Encoded in memory first: a write cut short must be seen, and QSaveFile only notices
    // it for data that went through its buffer.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, "bmp");
    if (!encoder.write(picture.convertToFormat(QImage::Format_RGB32)))
        throw PlatformError(ErrorCode::InvalidPicture, encoder.errorString());

    writeUserFile(path, bytes);
}
