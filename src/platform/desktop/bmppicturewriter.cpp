#include "bmppicturewriter.h"

#include "platformerror.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

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

    // Written beside the old file and renamed over it: a failure leaves the old file intact.
    QSaveFile file(path);
    const auto fail = [&] {
        throw PlatformError(ErrorCode::PathFileAccess,
                            tr("Cannot write the file %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(bytes) != bytes.size())
        fail();
    if (!file.commit())
        fail();
}
