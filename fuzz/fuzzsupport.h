#pragma once

#include <QChar>
#include <QCoreApplication>
#include <QDir>
#include <QString>

namespace FuzzSupport {

// The application object that Qt's SQL drivers expect, made once.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "kestrav-fuzz";
    static char *argv[] = { name, nullptr };
    static QCoreApplication application(argc, argv);
}

// A scratch database path, in memory-backed storage where there is some: every run writes.
inline QString scratchPath(const QString &name)
{
    const QDir folder(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                : QDir::tempPath());
    return folder.filePath(
        QStringLiteral("kestrav-%1-%2.sqlite").arg(name).arg(QCoreApplication::applicationPid()));
}

// Text that SQLite keeps exactly: valid UTF-16 without noncharacters, which it reads back
// as U+FFFD, and not starting with U+FEFF, which it takes for a byte-order mark and drops.
inline bool isPlainText(const QString &text)
{
    if (text.startsWith(QChar(0xfeff)))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1)), ++i;
        else if (QChar::isSurrogate(c))
            return false;
        if (QChar::isNonCharacter(c))
            return false;
    }
    return true;
}

} // namespace FuzzSupport
