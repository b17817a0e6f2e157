#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>

// This program's memory as the long runs report it.

inline QList<qint64> descendantsOf(qint64 process)
{
    QList<qint64> found { process };
    for (qsizetype i = 0; i < found.size(); ++i) {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(found.at(i)));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &child : children.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                found.append(child.trimmed().toLongLong());
        }
    }
    return found;
}

// The proportional set size of one process, in KiB; 0 when it has gone.
// Which pages a reading counts: all of them, or those the processes hold themselves
// (anonymous and shared memory), leaving out the pages of files such as libraries. Other
// programs that map the same libraries take their share of those, so they change with what
// else runs on the machine.
enum class Pages { All, Held };

inline qint64 processPssKiB(qint64 process, Pages pages = Pages::All)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(process));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    qint64 kib = 0;
    const QList<QByteArray> fields = pages == Pages::All
        ? QList<QByteArray> { "Pss:" }
        : QList<QByteArray> { "Pss_Anon:", "Pss_Shmem:" };
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        for (const QByteArray &field : fields) {
            if (line.startsWith(field))
                kib += line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return kib;
}

// A program's memory at one moment, in MiB: the proportional set size of it (this one unless
// told) and every process it started, and of its main process alone, read in one pass.
struct MemoryReading
{
    double all = 0;
    double main = 0;
};

inline MemoryReading readProgramMemory(qint64 program = QCoreApplication::applicationPid(),
                                       Pages pages = Pages::All)
{
    MemoryReading reading;
    for (const qint64 process : descendantsOf(program)) {
        const double mib = processPssKiB(process, pages) / 1024.0;
        reading.all += mib;
        if (process == program)
            reading.main = mib;
    }
    return reading;
}

inline double programMemoryMiB(qint64 program = QCoreApplication::applicationPid())
{
    return readProgramMemory(program).all;
}

// The window's own process: its resident memory now, or its peak since the last reset, in MiB.
inline double residentMiB(const char *field = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

inline void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
