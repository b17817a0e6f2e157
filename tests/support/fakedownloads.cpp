#include "fakedownloads.h"

#include "platform/api/platformerror.h"

void FakeDownloads::cancel(quint32 id)
{
    calls.append(QStringLiteral("cancel %1").arg(id));
    for (Row &row : list) {
        if (row.id == id && row.state == State::Running) {
            row.state = State::Cancelled;
            row.ending = QStringLiteral("cancelled");
            Q_EMIT changed();
        }
    }
}

void FakeDownloads::clearFinished()
{
    calls.append(QStringLiteral("clearFinished"));
    list.removeIf([](const Row &row) { return row.state != State::Running; });
    Q_EMIT changed();
}

void FakeDownloads::add(const Row &row)
{
    list.append(row);
    Q_EMIT changed();
}

void RecordingDesktopFiles::openFile(const QString &path)
{
    calls.append(QStringLiteral("open %1").arg(path));
    if (fail)
        throw PlatformError(ErrorCode::FileNotFound, QStringLiteral("gone"));
}

void RecordingDesktopFiles::showInFolder(const QString &path)
{
    calls.append(QStringLiteral("show %1").arg(path));
    if (fail)
        throw PlatformError(ErrorCode::FileNotFound, QStringLiteral("gone"));
}
