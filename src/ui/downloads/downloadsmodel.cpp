#include "ui/downloads/downloadsmodel.h"

#include <algorithm>
#include <QLocale>

namespace {

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

int percent(const Downloads::Row &row)
{
    if (row.state == Downloads::State::Finished)
        return 100;
    return row.total > 0 ? int(row.received * 100 / row.total) : -1;
}

bool sameDownloads(const QList<Downloads::Row> &shown, const QList<Downloads::Row> &now,
                   qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (shown.at(i).id != now.at(i).id)
            return false;
    }
    return true;
}

} // namespace

DownloadsModel::DownloadsModel(Downloads &downloads, QObject *parent)
    : QAbstractTableModel(parent)
    , m_downloads(&downloads)
    , m_rows(downloads.rows())
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(RefreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &DownloadsModel::refresh);
    connect(&downloads, &Downloads::changed, this, [this] {
        if (!m_refresh.isActive())
            m_refresh.start();
    });
}

void DownloadsModel::refresh()
{
    const QList<Downloads::Row> now = m_downloads ? m_downloads->rows() : QList<Downloads::Row>();
    // Downloads only come at the end of the list, so the rows shown stay rows unless some
    // were cleared; only then does the view start again.
    if (now.size() < m_rows.size() || !sameDownloads(m_rows, now, m_rows.size())) {
        beginResetModel();
        m_rows = now;
        endResetModel();
        return;
    }
    const qsizetype shown = m_rows.size();
    if (now.size() > shown) {
        beginInsertRows({}, int(shown), int(now.size() - 1));
        m_rows.append(now.mid(shown));
        endInsertRows();
    }
    for (qsizetype i = 0; i < shown; ++i)
        m_rows[i] = now.at(i);
    if (shown > 0)
        Q_EMIT dataChanged(index(0, 0), index(int(shown - 1), ColumnCount - 1));
}

int DownloadsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DownloadsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Downloads::Row &row = m_rows.at(index.row());
    if (role == PercentRole)
        return percent(row);
    if (role == Qt::ToolTipRole && index.column() == NameColumn)
        return row.path;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return row.name;
    case ProgressColumn:
        if (row.total > 0)
            return tr("%1 of %2 (%3%)")
                .arg(sizeText(row.received), sizeText(row.total))
                .arg(percent(row));
        return sizeText(row.received);
    case SpeedColumn:
        if (row.state != Downloads::State::Running || row.bytesPerSecond <= 0)
            return QString();
        return tr("%1/s").arg(sizeText(row.bytesPerSecond));
    case StateColumn:
        return row.state == Downloads::State::Running ? tr("downloading") : row.ending;
    default:
        return {};
    }
}

QVariant DownloadsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("File");
    case ProgressColumn:
        return tr("Progress");
    case SpeedColumn:
        return tr("Speed");
    case StateColumn:
        return tr("State");
    default:
        return {};
    }
}

int DownloadsModel::rowOf(quint32 id) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).id == id)
            return int(i);
    }
    return -1;
}

bool DownloadsModel::hasEnded() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const Downloads::Row &row) {
        return row.state != Downloads::State::Running;
    });
}
