#include "favorites/favoriteslistmodel.h"

FavoritesListModel::FavoritesListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void FavoritesListModel::setEntries(QList<Favorites::FavoriteEntry> entries)
{
    beginResetModel();
    m_unlisted.clear();
    for (qsizetype i = Favorites::MaxEntries; i < entries.size(); ++i)
        m_unlisted.append(entries.at(i).raw);
    if (entries.size() > Favorites::MaxEntries)
        entries.resize(Favorites::MaxEntries);
    m_entries = std::move(entries);
    endResetModel();
}

QStringList FavoritesListModel::texts() const
{
    QStringList texts;
    texts.reserve(m_entries.size());
    for (const Favorites::FavoriteEntry &entry : m_entries)
        texts.append(entry.text);
    return texts;
}

QList<QByteArray> FavoritesListModel::rawLines() const
{
    QList<QByteArray> lines;
    lines.reserve(m_entries.size() + m_unlisted.size());
    for (const Favorites::FavoriteEntry &entry : m_entries)
        lines.append(entry.raw);
    lines.append(m_unlisted);
    return lines;
}

int FavoritesListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FavoritesListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Favorites::FavoriteEntry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return entry.text;
    case RawLineRole:
        return entry.raw;
    default:
        return {};
    }
}

bool FavoritesListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > m_entries.size())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_entries.remove(row, count);
    endRemoveRows();
    return true;
}
