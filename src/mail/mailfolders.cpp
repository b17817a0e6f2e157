#include "mail/mailfolders.h"

namespace Mail {

std::optional<DefaultFolder> defaultFolderNamed(const QString &folderName)
{
    const QString name = folderName.toUpper();
    if (name == QLatin1String("INBOX"))
        return DefaultFolder::Inbox;
    if (name == QLatin1String("OUTBOX"))
        return DefaultFolder::Outbox;
    if (name == QLatin1String("CONTACTS"))
        return DefaultFolder::Contacts;
    return std::nullopt;
}

} // namespace Mail
