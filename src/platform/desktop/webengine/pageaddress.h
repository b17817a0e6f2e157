#pragma once

#include <QString>
#include <QUrl>

// An address as the window shows and keeps it: readable, but with its spaces encoded, so that
// it stays one address when it is chosen or typed again (a space would make it a search).
QString addressText(const QUrl &url);

// Whether the engine loads the address's host. It reads a host whose last label is a number
// as an IPv4 address, and silently drops a load to one that is none ("python.3").
bool engineTakesHost(const QUrl &url);

// Whether the title is one the engine made from the address (in a display form, "host/path",
// without "http://") for a page without a title of its own.
bool isMadeFromAddress(const QString &title, const QUrl &url);
