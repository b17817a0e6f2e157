#include "platform/desktop/mail/mailprogram.h"

using namespace Qt::StringLiterals;

const QList<MailProgram> &knownMailPrograms()
{
    static const QList<MailProgram> programs {
        { .name = u"Thunderbird"_s,
          .executables = { u"thunderbird"_s, u"thunderbird-bin"_s },
          .desktopIds
          = { u"thunderbird"_s, u"org.mozilla.Thunderbird"_s, u"net.thunderbird.Thunderbird"_s },
          .mailArguments = { u"-mail"_s },
          .contactsArguments = { u"-addressbook"_s } },
        { .name = u"Evolution"_s,
          .executables = { u"evolution"_s },
          .desktopIds = { u"org.gnome.Evolution"_s },
          .mailArguments = { u"--component=mail"_s },
          .contactsArguments = { u"--component=contacts"_s } },
        { .name = u"KMail"_s,
          .executables = { u"kmail"_s },
          .desktopIds = { u"org.kde.kmail2"_s },
          .contactsExecutable = u"kaddressbook"_s,
          .contactsDesktopId = u"org.kde.kaddressbook"_s },
        { .name = u"Geary"_s,
          .executables = { u"geary"_s },
          .desktopIds = { u"org.gnome.Geary"_s },
          .hasContactsView = false },
    };
    return programs;
}

const MailProgram *knownMailProgram(const QString &desktopId, const QString &executableName)
{
    for (const MailProgram &program : knownMailPrograms()) {
        if (program.desktopIds.contains(desktopId) || program.executables.contains(executableName))
            return &program;
    }
    return nullptr;
}
