#pragma once

#include <QList>
#include <QString>

namespace Import {

struct PasswordRow
{
    QString origin; // "scheme://host:port", as the saved sign-ins key their sites
    QString userName;
    QString password;
};

// What a passwords file gave. Rows for the same site and user name after the first are
// counted, not kept; rows whose address is not a web address are counted and left out, and so
// are rows without a password or with fewer fields than the header.
struct PasswordsRead
{
    QList<PasswordRow> rows;
    qsizetype notWeb = 0;
    qsizetype repeated = 0;
    qsizetype damaged = 0;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// A passwords file as Firefox and Chrome export it: a header row naming the columns, in any
// order, among them url, username and password; fields quoted as RFC 4180 says (a quote
// doubled inside quotes, line breaks allowed within them). A missing column, or a quote never
// closed, is an error that names it.
PasswordsRead readPasswordsCsv(const QString &path);
PasswordsRead readPasswordsCsv(const QByteArray &bytes, const QString &shownName);

} // namespace Import
