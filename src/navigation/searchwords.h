#pragma once

#include <QString>
#include <QStringList>

// Text in the address box that is not an address is searched for instead.
namespace Navigation {

// The names of this machine that a word alone may name: localhost, its host name and the
// names in /etc/hosts.
QStringList localHostNames();

// True when the text cannot be an address: it holds a space, or it has neither a dot nor a
// scheme and is not one of the local names (a port after it is allowed: "localhost:8080").
bool isSearchWords(const QString &text, const QStringList &localNames);

// The search page with the words as its query ("q").
QString searchAddress(const QString &searchPage, const QString &words);

} // namespace Navigation
