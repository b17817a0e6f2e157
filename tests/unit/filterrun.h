#pragma once

#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"

#include <memory>
#include <QString>

// An engine built from the lines of one list, and its decision on one request.
namespace Filters {

inline std::unique_ptr<FilterEngine> engineOf(const QString &lines)
{
    const QByteArray list = lines.toUtf8();
    RuleCollection rules;
    parseList(std::string_view(list.constData(), std::size_t(list.size())), rules);
    return std::make_unique<FilterEngine>(rules);
}

inline Decision decideOn(const FilterEngine &engine, const QString &url, const QString &page,
                         int type)
{
    const std::string address = url.toStdString();
    const std::string firstParty = page.toStdString();
    return engine.decide({ address, firstParty, std::uint16_t(type) });
}

} // namespace Filters
