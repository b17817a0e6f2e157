#pragma once

#include "platform/api/clipboard.h"

// The system clipboard. A picture on it counts as a bitmap (2) and as a device-independent
// bitmap (8); metafiles (3) and palettes (9) do not exist on this desktop.
class DesktopClipboard final : public Clipboard
{
public:
    void Clear() override;
    bool GetFormat(int format) const override;
    QImage GetData(int format) const override;
};
