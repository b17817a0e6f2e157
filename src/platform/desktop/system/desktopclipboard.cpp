#include "platform/desktop/system/desktopclipboard.h"

#include "platform/api/platformerror.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

namespace {

constexpr int AnyPicture = 0;
constexpr int Bitmap = 2;
constexpr int DeviceIndependentBitmap = 8;

bool isBitmapFormat(int format)
{
    return format == Bitmap || format == DeviceIndependentBitmap;
}

} // namespace

void DesktopClipboard::Clear()
{
    QGuiApplication::clipboard()->clear();
}

bool DesktopClipboard::GetFormat(int format) const
{
    if (!isBitmapFormat(format))
        return false;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QImage DesktopClipboard::GetData(int format) const
{
    if (format != AnyPicture && !isBitmapFormat(format))
        throw PlatformError(ErrorCode::InvalidClipboardFormat, tr("Invalid Clipboard format"));
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        throw PlatformError(ErrorCode::ClipboardFormatMismatch,
                            tr("The clipboard holds no picture."));
    return picture;
}
