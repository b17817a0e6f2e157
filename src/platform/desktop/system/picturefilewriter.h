#pragma once

#include "platform/api/picturewriter.h"

#include <QByteArray>
#include <QCoreApplication>

// SavePicture on this desktop: the file's extension chooses the format (PNG, JPEG, ...); a
// name without one this desktop can write gets a Windows bitmap, as the command always wrote.
class PictureFileWriter final : public PictureWriter
{
    Q_DECLARE_TR_FUNCTIONS(PictureFileWriter)

public:
    void SavePicture(const QImage &picture, const QString &path) override;

    // The format written for a file name: "png", "jpg", "bmp", ...
    static QByteArray formatFor(const QString &path);
};
