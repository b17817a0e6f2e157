#include "navigation/searchwords.h"

#include "publicsuffix/publicsuffix.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

namespace Navigation {

namespace {

// Names that networks use without a top-level domain of the root: mDNS, home routers, test
// names reserved for that purpose.
const QStringList privateSuffixes {
    QStringLiteral("local"),    QStringLiteral("localhost"), QStringLiteral("localdomain"),
    QStringLiteral("lan"),      QStringLiteral("home"),      QStringLiteral("internal"),
    QStringLiteral("intranet"), QStringLiteral("corp"),      QStringLiteral("test"),
    QStringLiteral("example"),  QStringLiteral("invalid"),   QStringLiteral("onion"),
};

} // namespace

bool endsInTopLevelDomain(const QString &host)
{
    static const QRegularExpression dottedQuad(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    if (dottedQuad.match(host).hasMatch())
        return QHostAddress(host).protocol() == QAbstractSocket::IPv4Protocol;
    QString last = host.section(QLatin1Char('.'), -1);
    if (last.isEmpty()) // "example.com." names the root's own domain explicitly
        last = host.section(QLatin1Char('.'), -2, -2);
    if (last.isEmpty() || privateSuffixes.contains(last))
        return !last.isEmpty();
    // Without a list nothing can be told apart: the text goes to the engine as before.
    if (!PublicSuffix::available())
        return true;
    for (const QByteArray &label : { last.toUtf8(), QUrl::toAce(last) }) {
        if (PublicSuffix::isListed(std::string_view(label.constData(), size_t(label.size()))))
            return true;
    }
    return false;
}

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
    if (scheme.match(trimmed).hasMatch() || trimmed.startsWith(QLatin1Char('[')))
        return false;
    static const QRegularExpression hostEnd(QStringLiteral("[:/]"));
    const qsizetype end = trimmed.indexOf(hostEnd);
    const QString host = (end >= 0 ? trimmed.left(end) : trimmed).toLower();
    if (localNames.contains(host))
        return false;
    if (!trimmed.contains(QLatin1Char('.')))
        return true;
    // A port or a path says the text is meant as an address; a dotted word alone is one only
    // when it ends in a top-level domain ("python.3" and "notes.txt" are words).
    return end < 0 && !endsInTopLevelDomain(host);
}

QString searchAddress(const QString &searchPage, const QString &words)
{
    QUrl page(searchPage);
    // Encoded here, so that "+" and "&" in the words stay words.
    page.setQuery(QStringLiteral("q=")
                  + QString::fromLatin1(QUrl::toPercentEncoding(words.trimmed())));
    return page.toString(QUrl::FullyEncoded);
}

AddressBoxText::AddressBoxText(QStringList localNames)
    : m_localNames(std::move(localNames))
{
}

QString AddressBoxText::target(const QString &text, const QString &searchPage) const
{
    return text != m_chosen && isSearchWords(text, m_localNames) ? searchAddress(searchPage, text)
                                                                 : text;
}

} // namespace Navigation
