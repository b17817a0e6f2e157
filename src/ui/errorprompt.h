#pragma once

#include <QString>

// The error box's prompt: the name, CR LF, the error number in decimal, five spaces and
// the description.
QString errorPrompt(const QString &name, int number, const QString &description);
