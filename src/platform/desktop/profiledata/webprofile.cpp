#include "platform/desktop/profiledata/webprofile.h"

#include "platform/api/startupphase.h"
#include "platform/desktop/profiledata/cookiefile.h"
#include "platform/desktop/profiledata/desktopnotifications.h"
#include "platform/desktop/profiledata/diskcaches.h"
#include "platform/desktop/profiledata/pagestorage.h"
#include "platform/desktop/spelling/spellcheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace WebProfile {

namespace {

std::weak_ptr<QWebEngineProfile> held;

} // namespace

std::shared_ptr<QWebEngineProfile> shared()
{
    if (auto profile = held.lock())
        return profile;
    // The engine reads where its dictionaries are once, as the first profile is made.
    const SpellCheck spelling = spellCheckFor(QCoreApplication::applicationDirPath(), QLocale());
    if (!spelling.folder.isEmpty())
        qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(spelling.folder));
    const QString storage = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/webengine");
    // What the user cleared while the engine held it open goes before the engine opens it,
    // and what is left is read while it still can be.
    PageStorage::prepare(storage);
    CookieFile::readBeforeEngine(storage);
    auto profile = std::make_shared<QWebEngineProfile>(QStringLiteral("Kestrav"));
    profile->setPersistentStoragePath(storage);
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                          + QStringLiteral("/webengine"));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpCacheType(DiskCaches::onDisk() ? QWebEngineProfile::DiskHttpCache
                                                   : QWebEngineProfile::MemoryHttpCache);
    // A page opened from the disk reads no other file and reaches no site by script: a saved
    // or downloaded page cannot read the user's keys or the profile.
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    DesktopNotifications::presentFor(*profile);
    // After the storage path: setting that starts the profile's settings anew. The dictionary
    // is read once the start page, which has nothing to check, is shown.
    if (!spelling.language.isEmpty()) {
        QWebEngineProfile *checked = profile.get();
        afterStartPage(checked, [checked, language = spelling.language] {
            checked->setSpellCheckLanguages({ language });
            checked->setSpellCheckEnabled(true);
        });
    }
    held = profile;
    return profile;
}

std::shared_ptr<QWebEngineProfile> current()
{
    return held.lock();
}

} // namespace WebProfile
