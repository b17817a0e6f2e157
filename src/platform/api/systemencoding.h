#pragma once

#include <QByteArray>
#include <QString>

// Text files that other programs of the desktop read (saved pages, the favorites file) are
// written in the system's 8-bit encoding, as plain-text tools of the platform expect.
QByteArray toSystemEncoding(const QString &text);
QString fromSystemEncoding(const QByteArray &bytes);
