#pragma once

#include <QString>

class QLocale;

// Where the engine's spelling dictionaries (.bdic files) are, and which one to check with.
struct SpellCheck
{
    // Beside the program as built, under share/kestrav as installed; empty when neither is there.
    QString folder;
    // The dictionary's name, e.g. "en-US", which is also the engine's language for it; empty
    // when no dictionary fits, and then nothing is checked.
    QString language;
};

// The locale's own dictionary, else one of its language, else en-US, else none.
SpellCheck spellCheckFor(const QString &programFolder, const QLocale &locale);
