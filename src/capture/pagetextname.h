#pragma once

#include <optional>
#include <QString>

namespace Capture {

// The file name under which "Save screen text" keeps the page: its title followed by ".txt",
// in the working folder. Any page chooses its own title, so a title that could name a file
// elsewhere, a hidden folder entry or a name the file system refuses gives no name at all.
std::optional<QString> pageTextFileName(const QString &title);
// The same rules for a name with another extension (".html").
std::optional<QString> pageFileName(const QString &title, const QString &extension);

// Whether a file name (relative names from the working folder) is one of the files the
// program keeps, compared by canonical path, so that a link to one of them counts too.
bool isKeptFile(const QString &name, const QStringList &keptFiles);

} // namespace Capture
