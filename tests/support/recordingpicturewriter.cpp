#include "recordingpicturewriter.h"

#include "platform/api/platformerror.h"

RecordingPictureWriter::RecordingPictureWriter(std::shared_ptr<QStringList> journal)
    : m_journal(std::move(journal))
{
}

void RecordingPictureWriter::SavePicture(const QImage &picture, const QString &path)
{
    m_journal->append(QStringLiteral("SavePicture ") + path);
    if (failure)
        throw PlatformError(failure->first, failure->second);
    saved.append({ picture, path });
}
