#pragma once

#include "platform/api/historystore.h"

#include <cmath>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QUrl>

// A history as years of browsing leave it: visits of distinct addresses, a few of them
// visited very often (a Zipf-like spread), on hosts of short and long names, with short and
// long addresses, titles in Latin, Cyrillic, Greek, CJK and Arabic script, and a few entries
// at the size limits (8 KiB addresses, 1,024-character titles).
class HistoryData
{
public:
    HistoryData(int addresses, int visits, quint32 seed = 27)
        : m_random(seed)
        , m_addresses(addresses)
        , m_visits(visits)
    {
        static const char *syllables[] = { "ka",  "lo",  "mi",  "ne",  "ra",  "to",  "vu",  "shi",
                                           "gen", "dar", "pol", "wik", "bex", "tor", "lin", "qua" };
        for (int h = 0; h < std::max(1, addresses / 10); ++h) {
            QString host;
            const int parts = 1 + int(m_random.bounded(4));
            for (int p = 0; p < parts; ++p)
                host += QLatin1String(syllables[m_random.bounded(int(std::size(syllables)))]);
            static const char *tlds[] = { ".com", ".org", ".net", ".de", ".io", ".co.uk" };
            m_hosts.append((m_random.bounded(3) == 0 ? QStringLiteral("www.") : QString()) + host
                           + QLatin1String(tlds[m_random.bounded(int(std::size(tlds)))]));
        }
        m_words = {
            QStringLiteral("news"),     QStringLiteral("weather"),   QStringLiteral("python"),
            QStringLiteral("tuple"),    QStringLiteral("recipe"),    QStringLiteral("berlin"),
            QStringLiteral("review"),   QStringLiteral("guide"),     QStringLiteral("football"),
            QStringLiteral("download"), QStringLiteral("manual"),    QStringLiteral("history"),
            QStringLiteral("Новости"),  QStringLiteral("погода"),    QStringLiteral("книга"),
            QStringLiteral("Ειδήσεις"), QStringLiteral("καιρός"),    QStringLiteral("天气"),
            QStringLiteral("新闻"),     QStringLiteral("東京"),      QStringLiteral("أخبار"),
            QStringLiteral("الطقس"),    QStringLiteral("Übersicht"), QStringLiteral("café"),
        };
    }

    // Every address once, then the rest of the visits spread over them; times over two years.
    template<typename Record> void generate(Record &&record)
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 span = 2LL * 365 * 24 * 60 * 60 * 1000;
        struct Visit
        {
            qint64 time;
            int address;
            VisitKind kind;
        };
        QList<Visit> visits;
        visits.reserve(m_visits);
        for (int i = 0; i < m_visits; ++i) {
            // Zipf-like: small indexes are visited far more often.
            const int address = i < m_addresses
                ? i
                : int(std::pow(m_random.generateDouble(), 3.0) * m_addresses) % m_addresses;
            visits.append({ now - qint64(m_random.generateDouble() * span), address,
                            m_random.bounded(8) == 0 ? VisitKind::Typed : VisitKind::Followed });
        }
        std::sort(visits.begin(), visits.end(),
                  [](const Visit &a, const Visit &b) { return a.time < b.time; });
        for (const Visit &visit : std::as_const(visits))
            record(url(visit.address), title(visit.address), visit.time, visit.kind);
    }

    QString url(int address) const
    {
        QRandomGenerator r(quint32(address) * 2654435761u);
        const QString &host = m_hosts.at(int(r.bounded(int(m_hosts.size()))));
        if (address % 20000 == 7) // a few at the address limit
            return QStringLiteral("https://") + host + QStringLiteral("/t?d=")
                + QString(8 * 1024 - 20 - host.size(), QLatin1Char('a' + address % 26));
        QString path;
        const int segments = int(r.bounded(5));
        for (int s = 0; s < segments; ++s)
            path += QLatin1Char('/') + word(r).toLower();
        if (r.bounded(4) == 0) // tracking and search addresses are long
            path += QStringLiteral("?id=%1&ref=").arg(r.generate())
                + QString::number(r.generate64(), 36).repeated(1 + int(r.bounded(6)));
        return (r.bounded(5) == 0 ? QStringLiteral("http://") : QStringLiteral("https://")) + host
            + path + QLatin1Char('/') + QString::number(address);
    }

    QString title(int address) const
    {
        QRandomGenerator r(quint32(address) * 40503u + 1);
        if (address % 20000 == 11)
            return QString(1024, QChar(0x4e00 + address % 1000));
        QStringList words;
        const int count = 2 + int(r.bounded(7));
        for (int w = 0; w < count; ++w)
            words.append(word(r));
        return words.join(QLatin1Char(' '));
    }

    // Text a user would type to find an address: words of its title or its host.
    QString typedFor(int address) const
    {
        QRandomGenerator r(quint32(address) + 99);
        const QStringList titleWords = title(address).split(QLatin1Char(' '));
        if (r.bounded(2) == 0) {
            QString host = QUrl(url(address)).host();
            if (host.startsWith(QLatin1String("www.")))
                host.remove(0, 4);
            return host.left(3 + int(r.bounded(6)));
        }
        return titleWords.value(0).left(12) + QLatin1Char(' ') + titleWords.value(1).left(5);
    }

private:
    QString word(QRandomGenerator &r) const
    {
        // Common words and a long tail of made-up ones.
        if (r.bounded(3) == 0)
            return m_words.at(int(r.bounded(int(m_words.size()))));
        static const char *parts[]
            = { "an", "ber", "cal", "do",  "el", "fin", "gra", "hu",  "ix",
                "jo", "kel", "lum", "mor", "nu", "op",  "pra", "sto", "ver" };
        QString made;
        for (int p = 0, n = 2 + int(r.bounded(2)); p < n; ++p)
            made += QLatin1String(parts[r.bounded(int(std::size(parts)))]);
        return made;
    }

    QRandomGenerator m_random;
    int m_addresses;
    int m_visits;
    QStringList m_hosts;
    QStringList m_words;
};
