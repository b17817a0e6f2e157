#pragma once

#include "platform/api/picturewriter.h"

#include <QByteArray>

// SavePicture on this desktop: the file's extension chooses the format (PNG, JPEG, ...); a
// name without one this desktop can write gets a Windows bitmap, as the command always wrote.
class PictureFileWriter final : public PictureWriter
{
public:
    void SavePicture(const QImage &picture, const QString &path) override;

    // The format written for a file name: "png", "jpg", "bmp", ...
    static QByteArray formatFor(const QString &path);
};
