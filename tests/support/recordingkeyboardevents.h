#pragma once

#include "platform/api/keyboardevents.h"

#include <memory>
#include <QImage>
#include <QStringList>

class RecordingClipboard;

// Records every injected key and every yield in the shared journal, and reacts as the
// desktop does: PrintScreen pressed while Alt is held puts `snapshot` on the clipboard.
class RecordingKeyboardEvents final : public KeyboardEvents
{
public:
    RecordingKeyboardEvents(std::shared_ptr<QStringList> journal,
                            std::shared_ptr<RecordingClipboard> clipboard);

    void keybd_event(int virtualKey, int scanCode, int flags, int extraInfo) override;
    void DoEvents() override;

    QImage snapshot;

private:
    std::shared_ptr<QStringList> m_journal;
    std::shared_ptr<RecordingClipboard> m_clipboard;
    bool m_altDown = false;
};
