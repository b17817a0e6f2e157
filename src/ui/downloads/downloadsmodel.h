#pragma once

#include "platform/api/downloads.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTimer>

// The downloads of the run as rows of a table. It follows the list at most a few times a
// second, however often the list changes, so that a long list stays cheap to show.
class DownloadsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, ProgressColumn, SpeedColumn, StateColumn, ColumnCount };
    // The percentage done, -1 while the size is unknown; under Qt::UserRole.
    static constexpr int PercentRole = Qt::UserRole;
    static constexpr int RefreshIntervalMs = 300;

    explicit DownloadsModel(Downloads &downloads, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Downloads::Row &download(int row) const { return m_rows.at(row); }
    // The row of the download with that id; -1 when it is not listed.
    int rowOf(quint32 id) const;
    bool hasEnded() const;
    // Takes the list as it is now.
    void refresh();

private:
    QPointer<Downloads> m_downloads;
    QList<Downloads::Row> m_rows;
    QTimer m_refresh;
};
