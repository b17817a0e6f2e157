#pragma once

#include <QString>

class QUrl;

// Origins as the engine keeps the pages' storage under them: "scheme://host[:port]", the host in
// ASCII and lower case and the scheme's own port left out, or "file://" for local files. Its
// folders name them "<scheme>_<host>_<port>", port 0 standing for the scheme's own.
namespace PageOrigins {

// The origin of an address; empty for one that keeps no storage of its own (about:, data:).
QString of(const QUrl &url);
// The origin the engine writes ("http://a.example:8080/", a partition after '^' left out);
// empty when text is not one.
QString parse(const QString &text);
// Its host name; empty for local files.
QString hostOf(const QString &origin);
// Whether a page of the program's own can be given this origin, to clear its storage while the
// engine runs: those of the web (http, https).
bool reachable(const QString &origin);

QString identifier(const QString &origin);
// The origin of a folder named by identifier(), which may end in ".indexeddb.leveldb" or
// ".indexeddb.blob"; empty when the name is not one.
QString fromIdentifier(const QString &name);

} // namespace PageOrigins
