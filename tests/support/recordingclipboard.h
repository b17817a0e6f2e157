#pragma once

#include "platform/api/clipboard.h"

#include <memory>
#include <QStringList>

// A clipboard that holds one picture or a text, and writes every call that the desktop
// tools make of it into a journal that the key and picture doubles share.
class RecordingClipboard final : public Clipboard
{
public:
    explicit RecordingClipboard(std::shared_ptr<QStringList> journal);

    void Clear() override;
    bool GetFormat(int format) const override;
    QImage GetData(int format) const override;

    QImage picture;
    QString text;

private:
    std::shared_ptr<QStringList> m_journal;
};
