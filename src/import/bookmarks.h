#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

namespace Import {

struct Bookmark
{
    QString url;
    QString title;
};

// What one source gave: its web addresses in its own order, how many addresses it held that
// are not web addresses (javascript:, data:, file:, place: and the like, which are left out),
// and why it could not be read. A source with an error gives no bookmarks at all.
struct BookmarksRead
{
    QList<Bookmark> bookmarks;
    qsizetype notWeb = 0;
    QString error;
    // Said beside what was read, such as a file that ends short of its last folder.
    QString note;

    bool ok() const { return error.isEmpty(); }
};

// Whether an address is one to import: http or https with a host.
bool isWebAddress(const QString &url);

// Collects addresses as a reader meets them: web addresses are kept, others counted, text
// past the field cap cut. False once the item cap is reached.
class BookmarkCollector
{
public:
    explicit BookmarkCollector(BookmarksRead &read)
        : m_read(read)
    {
    }
    bool add(QString url, QString title);
    bool full() const;

private:
    BookmarksRead &m_read;
};

// The whole file, when it is a regular file within maxBytes; else error says why, naming the
// file.
QByteArray readBoundedFile(const QString &path, qint64 maxBytes, QString *error);

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Import)
};

} // namespace Import
