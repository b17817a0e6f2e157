#pragma once

#include "platform/api/settingsstore.h"

#include <QString>

// The stored names of the recent-address list, written out here rather than taken from the
// code under test, so that a wrong name fails.
namespace RecentNames {

using Rows = QList<SettingsStore::Row>;

inline const QString App = QStringLiteral("ZivaruruviVO");
inline const QString Section = QStringLiteral("URL History");

inline QString key(int n)
{
    return QStringLiteral("URLHistory%1").arg(n);
}

} // namespace RecentNames
