#include "searchwords.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

namespace Navigation {

QStringList localHostNames()
{
    QStringList names { QStringLiteral("localhost"), QSysInfo::machineHostName().toLower() };
    QFile hosts(QStringLiteral("/etc/hosts"));
    if (hosts.open(QIODevice::ReadOnly | QIODevice::Text)) {
        static const QRegularExpression spaces(QStringLiteral("\\s+"));
        // A hosts file is small; a huge one is not read past its first megabyte.
        const QString text = QString::fromUtf8(hosts.read(1 << 20));
        for (QString line : text.split(QLatin1Char('\n'))) {
            line.truncate(line.indexOf(QLatin1Char('#')) >= 0 ? line.indexOf(QLatin1Char('#'))
                                                              : line.size());
            const QStringList fields = line.split(spaces, Qt::SkipEmptyParts);
            for (qsizetype i = 1; i < fields.size(); ++i)
                names.append(fields.at(i).toLower());
        }
    }
    names.removeAll(QString());
    names.removeDuplicates();
    return names;
}

bool isSearchWords(const QString &text, const QStringList &localNames)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    if (trimmed.contains(QLatin1Char(' ')))
        return true;
    // A scheme: letters, then ":" ("about:blank", "mailto:x", "http://x").
    static const QRegularExpression scheme(
        QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(/|$))"));
    if (trimmed.contains(QLatin1Char('.')) || scheme.match(trimmed).hasMatch())
        return false;
    static const QRegularExpression hostEnd(QStringLiteral("[:/]"));
    const qsizetype end = trimmed.indexOf(hostEnd);
    const QString host = end >= 0 ? trimmed.left(end) : trimmed;
    return !localNames.contains(host.toLower());
}

QString searchAddress(const QString &searchPage, const QString &words)
{
    QUrl page(searchPage);
    // Encoded here, so that "+" and "&" in the words stay words.
    page.setQuery(QStringLiteral("q=")
                  + QString::fromLatin1(QUrl::toPercentEncoding(words.trimmed())));
    return page.toString(QUrl::FullyEncoded);
}

} // namespace Navigation
