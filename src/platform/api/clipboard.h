#pragma once

#include <QImage>

// The system clipboard, as the picture commands use it.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    virtual void Clear() = 0;
    // Formats: 2 bitmap, 3 metafile, 8 device-independent bitmap, 9 palette.
    virtual bool GetFormat(int format) const = 0;
    // Format 0: the picture in whichever picture format is present.
    virtual QImage GetData(int format) const = 0;
};
