#include "platform/desktop/profiledata/cacheindex.h"

#include "platform/desktop/profiledata/pageorigins.h"

#include <QFile>

namespace CacheIndex {

namespace {

// An index holds the names of an origin's caches; one larger than this is not one.
constexpr qint64 IndexLimit = 1 << 20;

} // namespace

// A protocol buffer whose fields 1 are the caches and whose field 2 is the origin.
QString originOf(const QString &path)
{
    QFile file(path);
    if (file.size() > IndexLimit || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    qsizetype at = 0;
    const auto varint = [&](quint64 &value) {
        value = 0;
        for (int shift = 0; at < bytes.size() && shift < 64; shift += 7) {
            const auto byte = quint8(bytes.at(at++));
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    };
    bool caches = false;
    QString origin;
    quint64 tag = 0;
    quint64 value = 0;
    while (at < bytes.size() && varint(tag)) {
        switch (tag & 7) {
        case 0:
            if (!varint(value))
                return {};
            break;
        case 1:
            at += 8;
            break;
        case 5:
            at += 4;
            break;
        case 2:
            if (!varint(value) || value > quint64(bytes.size() - at))
                return {};
            caches = caches || tag >> 3 == 1;
            if (tag >> 3 == 2)
                origin = PageOrigins::parse(QString::fromUtf8(bytes.mid(at, qsizetype(value))));
            at += qsizetype(value);
            break;
        default:
            return {};
        }
    }
    return caches ? origin : QString();
}

} // namespace CacheIndex
