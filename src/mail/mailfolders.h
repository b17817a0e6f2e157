#pragma once

#include <optional>
#include <QString>

namespace Mail {

// The mail program's default folders that the Mail commands open.
enum class DefaultFolder { Outbox = 4, Inbox = 6, Contacts = 10 };

// The folder that a command names, compared without regard to case; none for any other name.
std::optional<DefaultFolder> defaultFolderNamed(const QString &folderName);

} // namespace Mail
