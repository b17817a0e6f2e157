#include "platform/desktop/reader/darkrendering.h"

#include "reader/darkpages.h"

#include <QByteArray>
#include <QtGlobal>

namespace DarkRendering {

void applyAtStart(SettingsStore &settings)
{
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QByteArray wanted = DarkPages::engineFlags(flags, DarkPages(settings).isOn());
    if (wanted != flags)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", wanted);
}

} // namespace DarkRendering
