#pragma once

#include <QString>
#include <QStringList>

// Text in the address box that is not an address is searched for instead.
namespace Navigation {

// The names of this machine that a word alone may name: localhost, its host name and the
// names in /etc/hosts.
QStringList localHostNames();

// Whether a lower-case host ends in a domain that names hosts: a top-level domain of the
// public suffix list, a name private networks use ("lan", "local", ...), or it is an IPv4
// address.
bool endsInTopLevelDomain(const QString &host);

// True when the text cannot be an address: it holds a space; or it has no scheme, is not one
// of the local names (a port after it is allowed: "localhost:8080"), and is either one word
// without a dot or a dotted word alone that does not end in a top-level domain ("python.3").
bool isSearchWords(const QString &text, const QStringList &localNames);

// The search page with the words as its query ("q").
QString searchAddress(const QString &searchPage, const QString &words);

// Where the address box's text goes: the search page when the user typed words, else the
// text as an address. An address the user chose (a suggestion, an entry of the box's list or
// of the history window) goes as an address, whatever it looks like, until the user edits it.
class AddressBoxText final
{
public:
    explicit AddressBoxText(QStringList localNames = localHostNames());

    void chosen(const QString &address) { m_chosen = address; }
    void edited() { m_chosen.clear(); }
    QString target(const QString &text, const QString &searchPage) const;

private:
    QStringList m_localNames;
    QString m_chosen;
};

} // namespace Navigation
