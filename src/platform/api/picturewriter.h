#pragma once

#include <QImage>
#include <QString>

// SavePicture: writes a picture to a file, replacing it.
class PictureWriter
{
public:
    virtual ~PictureWriter() = default;
    virtual void SavePicture(const QImage &picture, const QString &path) = 0;
};
