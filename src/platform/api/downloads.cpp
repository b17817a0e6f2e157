#include "platform/api/downloads.h"

#include <algorithm>

int Downloads::running() const
{
    const QList<Row> all = rows();
    return int(std::count_if(all.cbegin(), all.cend(),
                             [](const Row &row) { return row.state == State::Running; }));
}

void Downloads::cancelAll()
{
    for (const Row &row : rows()) {
        if (row.state == State::Running)
            cancel(row.id);
    }
}
