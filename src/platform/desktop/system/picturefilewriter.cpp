#include "platform/desktop/system/picturefilewriter.h"

#include "platform/api/platformerror.h"
#include "platform/desktop/text/userfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>

QByteArray PictureFileWriter::formatFor(const QString &path)
{
    QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix == "jpeg")
        suffix = "jpg";
    if (suffix == "tif")
        suffix = "tiff";
    // Formats that lose the picture's colours (a 256-colour GIF, icons) are not offered by
    // Qt's writers anyway; anything it cannot write keeps the classic bitmap.
    if (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix))
        return suffix;
    return "bmp";
}

void PictureFileWriter::SavePicture(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        throw PlatformError(ErrorCode::InvalidPicture, tr("Invalid picture"));

    const QByteArray format = formatFor(path);
    // Formats without transparency get an opaque picture; PNG and the like keep what it has.
    const bool opaque = format == "bmp" || format == "jpg";
    // Encoded in memory first: a write cut short must be seen, and QSaveFile only notices
    // it for data that went through its buffer.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, format);
    if (format == "jpg")
        encoder.setQuality(92);
    if (!encoder.write(opaque ? picture.convertToFormat(QImage::Format_RGB32) : picture))
        throw PlatformError(ErrorCode::InvalidPicture, encoder.errorString());

    writeUserFile(path, bytes);
}
