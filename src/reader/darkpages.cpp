#include "reader/darkpages.h"

#include "platform/api/failure.h"
#include "platform/api/settingsstore.h"

#include <QCoreApplication>

namespace {

const QString Application = QStringLiteral("ZivaruruviVO");
const QString Section = QStringLiteral("Display");
const QString Key = QStringLiteral("DarkPages");

} // namespace

DarkPages::DarkPages(SettingsStore &settings)
    : m_settings(settings)
{
}

bool DarkPages::isOn() const
{
    // A store that cannot be read leaves pages as the engine draws them.
    QString kept;
    Failure::skip([&] { kept = m_settings.GetSetting(Application, Section, Key); });
    return kept == QLatin1String("1");
}

QString DarkPages::toggle()
{
    const bool on = !isOn();
    m_settings.SaveSetting(Application, Section, Key,
                           on ? QStringLiteral("1") : QStringLiteral("0"));
    return changedMessage(on);
}

QByteArray DarkPages::engineFlags(const QByteArray &flags, bool on)
{
    if (!on || flags.contains("--blink-settings") || flags.contains("--dark-mode-settings"))
        return flags;
    // preferredColorScheme 0 is dark; image policy 1 leaves pictures undarkened.
    return (flags
            + " --blink-settings=forceDarkModeEnabled=true,preferredColorScheme=0"
              " --dark-mode-settings=ImagePolicy=1")
        .trimmed();
}

QString DarkPages::changedMessage(bool on)
{
    return on ? QCoreApplication::translate("DarkPages", "Dark pages on from the next start")
              : QCoreApplication::translate("DarkPages", "Dark pages off from the next start");
}
