#pragma once

#include <memory>
#include <QByteArray>
#include <QString>

namespace Filters {
class FilterEngine;
}

// The compiled filter lists kept from the last run, read where they lie in the file: the
// engine maps the file for as long as it lives, and only the pages its lookups touch stay in
// memory. nullptr when the file is missing, of other lists (key) or damaged.
std::unique_ptr<Filters::FilterEngine> mapCompiledForm(const QString &path, const QByteArray &key);
