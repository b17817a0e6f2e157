// The recent list read from a store filled with arbitrary keys and values, then one more
// address written to it. Input: lines "key<TAB>value" in UTF-8; the last line is the
// address to write.

#include "fuzzsupport.h"
#include "history/recenturls.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    static const QString path = FuzzSupport::scratchPath(QStringLiteral("recent"));

    const QStringList lines
        = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))
              .split(QLatin1Char('\n'));
    QFile::remove(path);
    SqliteSettingsStore store(path);
    try {
        store.transaction([&] {
            for (qsizetype i = 0; i + 1 < lines.size() && i < 64; ++i) {
                const QString key = lines.at(i).section(QLatin1Char('\t'), 0, 0);
                const QString value = lines.at(i).section(QLatin1Char('\t'), 1);
                store.SaveSetting(RecentUrls::application(), RecentUrls::section(), key, value);
            }
        });
    } catch (const PlatformError &) {
        return 0;
    }
    RecentUrls::read(store);
    const QString address = lines.last();
    try {
        RecentUrls::write(store, address);
    } catch (const PlatformError &) {
        return 0;
    }
    // An address that is not all spaces is the newest, exactly as written, and is offered.
    const bool blank = address.count(QLatin1Char(' ')) == address.size();
    const QString newest = store.GetSetting(RecentUrls::application(), RecentUrls::section(),
                                            RecentUrls::keyName(1));
    if (!blank && FuzzSupport::isPlainText(address)
        && (newest != address || !RecentUrls::read(store).contains(address)))
        std::abort();
    return 0;
}
