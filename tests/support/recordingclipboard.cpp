#include "recordingclipboard.h"

#include "platform/api/platformerror.h"

RecordingClipboard::RecordingClipboard(std::shared_ptr<QStringList> journal)
    : m_journal(std::move(journal))
{
}

void RecordingClipboard::Clear()
{
    m_journal->append(QStringLiteral("Clear"));
    picture = QImage();
    text.clear();
}

bool RecordingClipboard::GetFormat(int format) const
{
    // Like the desktop's: a picture is a bitmap and a device-independent bitmap.
    return !picture.isNull() && (format == 2 || format == 8);
}

QImage RecordingClipboard::GetData(int format) const
{
    m_journal->append(QStringLiteral("GetData %1").arg(format));
    if (format != 0 && format != 2 && format != 8)
        throw PlatformError(ErrorCode::InvalidClipboardFormat,
                            QStringLiteral("Invalid Clipboard format"));
    if (picture.isNull())
        throw PlatformError(ErrorCode::ClipboardFormatMismatch,
                            QStringLiteral("The clipboard holds no picture."));
    return picture;
}
