#pragma once

#include "platform/api/desktopfiles.h"
#include "platform/api/downloads.h"

#include <QStringList>

// Downloads that the test lists and changes itself; cancels and clears end the rows as the
// real list does, and are recorded.
class FakeDownloads final : public Downloads
{
    Q_OBJECT

public:
    QList<Row> rows() const override { return list; }
    void cancel(quint32 id) override;
    void clearFinished() override;

    // Adds a row and says so.
    void add(const Row &row);

    QList<Row> list;
    QStringList calls; // "cancel <id>", "clearFinished"
};

// Records what would have gone to the desktop; fails when told.
class RecordingDesktopFiles final : public DesktopFiles
{
public:
    void openFile(const QString &path) override;
    void showInFolder(const QString &path) override;

    QStringList calls; // "open <path>", "show <path>"
    bool fail = false;
};
