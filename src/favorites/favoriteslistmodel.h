#pragma once

#include "favorites/favoritesfile.h"

#include <QAbstractListModel>

// The favorites as a list shows them: one row per entry, in file order. A combo box over
// this model is refilled by one reset instead of an insertion per row, which matters at
// tens of thousands of entries, since the list is read at every window activation.
class FavoritesListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    // Each row keeps the bytes of its line, so that a rewrite gives back what was read.
    static constexpr int RawLineRole = Qt::UserRole;

    explicit FavoritesListModel(QObject *parent = nullptr);

    // Lists the first MaxEntries entries; the lines of any beyond them are kept unlisted.
    void setEntries(QList<Favorites::FavoriteEntry> entries);
    const QList<Favorites::FavoriteEntry> &entries() const { return m_entries; }
    // The rows' texts, in row order.
    QStringList texts() const;
    // The lines a rewrite of the file keeps: the rows' lines in row order, then those of the
    // entries that were too many to list, so that a file over the bound loses only what was
    // removed from the list.
    QList<QByteArray> rawLines() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

private:
    QList<Favorites::FavoriteEntry> m_entries;
    QList<QByteArray> m_unlisted;
};
