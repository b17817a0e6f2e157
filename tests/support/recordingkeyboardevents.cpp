#include "recordingkeyboardevents.h"

#include "recordingclipboard.h"

RecordingKeyboardEvents::RecordingKeyboardEvents(std::shared_ptr<QStringList> journal,
                                                 std::shared_ptr<RecordingClipboard> clipboard)
    : snapshot(QSize(4, 3), QImage::Format_RGB32)
    , m_journal(std::move(journal))
    , m_clipboard(std::move(clipboard))
{
    snapshot.fill(Qt::darkCyan);
}

void RecordingKeyboardEvents::keybd_event(int virtualKey, int scanCode, int flags, int extraInfo)
{
    m_journal->append(QStringLiteral("keybd_event %1,%2,%3,%4")
                          .arg(virtualKey)
                          .arg(scanCode)
                          .arg(flags)
                          .arg(extraInfo));
    const bool keyUp = flags & 2;
    if (virtualKey == 18)
        m_altDown = !keyUp;
    else if (virtualKey == 44 && !keyUp && m_altDown)
        m_clipboard->picture = snapshot;
}

void RecordingKeyboardEvents::DoEvents()
{
    m_journal->append(QStringLiteral("DoEvents"));
}
