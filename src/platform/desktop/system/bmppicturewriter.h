#pragma once

#include "picturewriter.h"

// SavePicture on this desktop: every picture is a bitmap, so the file is always a Windows
// bitmap file, whatever the name's extension says.
class BmpPictureWriter final : public PictureWriter
{
public:
    void SavePicture(const QImage &picture, const QString &path) override;
};
