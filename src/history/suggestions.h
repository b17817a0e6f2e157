#pragma once

#include "platform/api/historystore.h"

#include <QList>
#include <QString>
#include <QStringList>

// The address box's suggestions: the history's best addresses and the favorites that match.
namespace History {

inline constexpr int MaxSuggestions = 10;

struct Suggestion
{
    QString url;
    QString title;
    double frecency = 0;
    bool hostMatch = false;
    bool favorite = false;
    friend bool operator==(const Suggestion &, const Suggestion &) = default;
};

// A favorite counts as one typed visit of today on top of what the history has of it.
inline constexpr double FavoriteBonus = 2000;

// Merges the history's entries (already matched) with the favorites that match the typed
// text; an address is offered once. Host matches first, then by frecency, then by address;
// at most limit.
QList<Suggestion> rankSuggestions(const QList<HistoryEntry> &history, const QStringList &favorites,
                                  const QString &typed, int limit = MaxSuggestions);

} // namespace History
