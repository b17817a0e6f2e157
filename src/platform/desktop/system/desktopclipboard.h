#pragma once

#include "platform/api/clipboard.h"

#include <QCoreApplication>

// The system clipboard. A picture on it counts as a bitmap (2) and as a device-independent
// bitmap (8); metafiles (3) and palettes (9) do not exist on this desktop.
class DesktopClipboard final : public Clipboard
{
    Q_DECLARE_TR_FUNCTIONS(DesktopClipboard)

public:
    void Clear() override;
    bool GetFormat(int format) const override;
    QImage GetData(int format) const override;
};
