// The settings store's values: any text, NUL and unpaired surrogates included, under any
// key. Input: UTF-16 code units; the first unit's low byte says how many of the rest make
// the key, the others are the value.

#include "fuzzsupport.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"

#include <cstdlib>
#include <memory>

namespace {

SqliteSettingsStore &store()
{
    FuzzSupport::ensureApplication();
    static const QString path = FuzzSupport::scratchPath(QStringLiteral("settings"));
    static auto instance = [] {
        QFile::remove(path);
        return std::make_unique<SqliteSettingsStore>(path);
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString units(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    if (units.isEmpty())
        return 0;
    const qsizetype keyLength = qMin<qsizetype>(units.at(0).unicode() & 0xff, units.size() - 1);
    const QString key = units.mid(1, keyLength);
    const QString value = units.mid(1 + keyLength);

    SettingsStore &settings = store();
    const QString app = QStringLiteral("ZivaruruviVO");
    const QString section = QStringLiteral("URL History");
    try {
        settings.SaveSetting(app, section, key, value);
    } catch (const PlatformError &) {
        return 0; // refused and reported: fine
    }
    // Whatever was stored reads back as it was; other text may be mended by the store, but
    // must not disturb anything else.
    const QString read = settings.GetSetting(app, section, key);
    if (FuzzSupport::isPlainText(key) && FuzzSupport::isPlainText(value) && read != value)
        std::abort();
    bool found = false;
    for (const SettingsStore::Row &row : settings.GetAllSettings(app, section))
        found = found || row.first == key;
    if (FuzzSupport::isPlainText(key) && !found)
        std::abort();
    return 0;
}
