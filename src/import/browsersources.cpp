#include "import/browsersources.h"

#include "import/firefoxplaces.h"
#include "import/importlimits.h"
#include "import/jsonbookmarks.h"
#include "import/qutebrowserbookmarks.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace Import {

QString BrowserSource::name() const
{
    return profile.isEmpty() ? browser : QStringLiteral("%1 (%2)").arg(browser, profile);
}

namespace {

// profiles.ini: [ProfileN] sections with Name, Path and IsRelative.
void addFirefoxProfiles(const QString &folder, QList<BrowserSource> &sources)
{
    const QString iniPath = folder + QStringLiteral("/profiles.ini");
    if (!QFileInfo(iniPath).isFile())
        return;
    QString error;
    const QByteArray ini = readBoundedFile(iniPath, ImportLimits::MaxSmallFileBytes, &error);
    struct Profile
    {
        QString name, path;
        bool relative = true;
    };
    QList<Profile> profiles;
    bool inProfile = false;
    for (const QByteArray &rawLine : ini.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inProfile = line.startsWith(QLatin1String("[Profile"), Qt::CaseInsensitive);
            if (inProfile)
                profiles.append(Profile {});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inProfile || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name"))
            profiles.last().name = value;
        else if (key == QLatin1String("Path"))
            profiles.last().path = value;
        else if (key == QLatin1String("IsRelative"))
            profiles.last().relative = value != QLatin1String("0");
    }
    for (const Profile &profile : std::as_const(profiles)) {
        if (profile.path.isEmpty())
            continue;
        const QString profileFolder
            = profile.relative ? QDir(folder).filePath(profile.path) : profile.path;
        const QString places = QDir(profileFolder).filePath(QStringLiteral("places.sqlite"));
        if (!QFileInfo::exists(places))
            continue;
        sources.append({ BrowserSource::Kind::FirefoxPlaces, QStringLiteral("Firefox"),
                         profile.name.isEmpty() ? profile.path : profile.name,
                         QDir::cleanPath(places) });
    }
}

// The names the browser shows for its profiles, from its Local State file.
QJsonObject chromiumProfileNames(const QString &folder)
{
    QString error;
    const QByteArray bytes = readBoundedFile(folder + QStringLiteral("/Local State"),
                                             ImportLimits::MaxFileBytes, &error);
    return QJsonDocument::fromJson(bytes)
        .object()
        .value(QLatin1String("profile"))
        .toObject()
        .value(QLatin1String("info_cache"))
        .toObject();
}

void addChromiumProfiles(const QString &browser, const QString &folder,
                         QList<BrowserSource> &sources)
{
    const QDir dir(folder);
    if (!dir.exists())
        return;
    const QJsonObject names = chromiumProfileNames(folder);
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    // Default first, then Profile 1, Profile 2, ... as the browser made them.
    QStringList ordered = entries;
    std::stable_sort(ordered.begin(), ordered.end(), [](const QString &a, const QString &b) {
        return (a == QLatin1String("Default")) > (b == QLatin1String("Default"));
    });
    for (const QString &entry : std::as_const(ordered)) {
        const QString bookmarks = dir.filePath(entry + QStringLiteral("/Bookmarks"));
        if (!QFileInfo(bookmarks).isFile())
            continue;
        const QString shown = names.value(entry).toObject().value(QLatin1String("name")).toString();
        sources.append({ BrowserSource::Kind::JsonBookmarks, browser,
                         shown.isEmpty() ? entry : shown, bookmarks });
    }
}

void addFalkonProfiles(const QString &folder, QList<BrowserSource> &sources)
{
    const QDir dir(folder);
    for (const QString &entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString bookmarks = dir.filePath(entry + QStringLiteral("/bookmarks.json"));
        if (QFileInfo(bookmarks).isFile())
            sources.append(
                { BrowserSource::Kind::JsonBookmarks, QStringLiteral("Falkon"), entry, bookmarks });
    }
}

} // namespace

QList<BrowserSource> findBrowsers(const QString &home)
{
    QList<BrowserSource> sources;
    const QDir homeDir(home);
    for (const char *firefox : { ".mozilla/firefox", "snap/firefox/common/.mozilla/firefox",
                                 ".var/app/org.mozilla.firefox/.mozilla/firefox" })
        addFirefoxProfiles(homeDir.filePath(QLatin1String(firefox)), sources);
    const QString config = homeDir.filePath(QStringLiteral(".config"));
    const std::pair<const char *, const char *> chromiums[] = {
        { "Chromium", "chromium" },
        { "Google Chrome", "google-chrome" },
        { "Brave", "BraveSoftware/Brave-Browser" },
        { "Vivaldi", "vivaldi" },
    };
    for (const auto &[browser, folder] : chromiums)
        addChromiumProfiles(QLatin1String(browser),
                            config + QLatin1Char('/') + QLatin1String(folder), sources);
    addFalkonProfiles(config + QStringLiteral("/falkon/profiles"), sources);
    const QString qutebrowser = config + QStringLiteral("/qutebrowser");
    if (QFileInfo(qutebrowser + QStringLiteral("/bookmarks/urls")).isFile()
        || QFileInfo(qutebrowser + QStringLiteral("/quickmarks")).isFile())
        sources.append(
            { BrowserSource::Kind::Qutebrowser, QStringLiteral("qutebrowser"), {}, qutebrowser });
    return sources;
}

BookmarksRead readSource(const BrowserSource &source)
{
    switch (source.kind) {
    case BrowserSource::Kind::FirefoxPlaces:
        return readFirefoxPlaces(source.path);
    case BrowserSource::Kind::JsonBookmarks:
        return readJsonBookmarks(source.path);
    case BrowserSource::Kind::Qutebrowser:
        break;
    }
    // Either list may be missing; both are one source.
    BookmarksRead both;
    const QString urls = source.path + QStringLiteral("/bookmarks/urls");
    const QString quickmarks = source.path + QStringLiteral("/quickmarks");
    for (const BookmarksRead &one :
         { QFileInfo::exists(urls) ? readQutebrowserBookmarks(urls) : BookmarksRead {},
           QFileInfo::exists(quickmarks) ? readQutebrowserQuickmarks(quickmarks)
                                         : BookmarksRead {} }) {
        if (!one.ok())
            return one;
        both.bookmarks += one.bookmarks;
        both.notWeb += one.notWeb;
    }
    return both;
}

QString describe(const BrowserSource &source, const BookmarksRead &read)
{
    if (!read.ok())
        return Texts::tr("%1: %2").arg(source.name(), read.error);
    return Texts::tr("%1: %n bookmarks", nullptr, int(read.bookmarks.size())).arg(source.name());
}

} // namespace Import
