#include "platform/desktop/mail/desktopmailprogram.h"

#include "platform/desktop/mail/mailprogram.h"

#include <gio/gdesktopappinfo.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr int ContactsFolder = 10;

struct Entry
{
    QString id;
    QString name;
    QString file;
    QString exec;
};

Entry entryOf(GAppInfo *info)
{
    QString id = QString::fromUtf8(g_app_info_get_id(info));
    if (id.endsWith(".desktop"_L1))
        id.chop(8);
    return { id, QString::fromUtf8(g_app_info_get_name(info)),
             QFile::decodeName(g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info))),
             QString::fromUtf8(g_app_info_get_commandline(info)) };
}

// The words of an Exec line from its program on, past an `env` and its settings.
QStringList execArguments(const QString &exec)
{
    int count = 0;
    g_auto(GStrv) words = nullptr;
    if (!g_shell_parse_argv(exec.toUtf8().constData(), &count, &words, nullptr))
        return {};
    QStringList arguments;
    for (int i = 0; i < count; ++i)
        arguments.append(QString::fromUtf8(words[i]));
    if (QFileInfo(arguments.constFirst()).fileName() == "env"_L1) {
        arguments.removeFirst();
        while (!arguments.isEmpty() && arguments.constFirst().contains(u'='))
            arguments.removeFirst();
    }
    return arguments;
}

// The name the program of an Exec line runs under. Flatpak runs the command it is given; without
// one there is no telling.
QString processName(const QString &exec)
{
    const QStringList arguments = execArguments(exec);
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (program != "flatpak"_L1)
        return program;
    for (const QString &argument : arguments) {
        if (argument.startsWith("--command="_L1))
            return QFileInfo(argument.sliced(10)).fileName();
    }
    return QString();
}

// Flatpak brackets the field code of forwarded files with @@u (or @@f) and @@. With no files,
// flatpak would hand the markers to the program unless told to forward files, so they go.
QString withoutFileForwarding(QString exec)
{
    static const QRegularExpression markers(u"(^|\\s)@@[uf]?(?=\\s|$)"_s);
    return exec.remove(markers);
}

// An argument added to an Exec line: quoted for its shell-like words, with % doubled so that
// GIO takes it for no field code.
QString execQuoted(const QString &argument)
{
    g_autofree gchar *quoted = g_shell_quote(argument.toUtf8().constData());
    return QString::fromUtf8(quoted).replace(u'%', "%%"_L1);
}

} // namespace

DesktopMailProgram::DesktopMailProgram(const MailProgram *known, QString name, QString desktopFile,
                                       QString exec)
    : m_known(known)
    , m_name(std::move(name))
    , m_desktopFile(std::move(desktopFile))
    , m_exec(std::move(exec))
{
}

std::optional<DesktopMailProgram> DesktopMailProgram::find()
{
    // The user's choice first, whichever program it is. GIO passes over handlers that are not
    // installed, by their TryExec and Exec programs.
    g_autoptr(GAppInfo) handler = g_app_info_get_default_for_uri_scheme("mailto");
    if (handler && G_IS_DESKTOP_APP_INFO(handler)) {
        const Entry entry = entryOf(handler);
        return DesktopMailProgram(knownMailProgram(entry.id, processName(entry.exec)), entry.name,
                                  entry.file, entry.exec);
    }
    for (const MailProgram &program : knownMailPrograms()) {
        if (auto found = installed(&program, program.desktopIds, program.executables.constFirst()))
            return found;
    }
    return std::nullopt;
}

std::optional<DesktopMailProgram> DesktopMailProgram::installed(const MailProgram *known,
                                                                const QStringList &desktopIds,
                                                                const QString &executable)
{
    for (const QString &id : desktopIds) {
        g_autoptr(GDesktopAppInfo) info
            = g_desktop_app_info_new(QString(id + ".desktop"_L1).toUtf8().constData());
        if (info) {
            const Entry entry = entryOf(G_APP_INFO(info));
            return DesktopMailProgram(known, entry.name, entry.file, entry.exec);
        }
    }
    g_autofree gchar *path = g_find_program_in_path(QFile::encodeName(executable).constData());
    if (!path)
        return std::nullopt;
    return DesktopMailProgram(known, known ? known->name : executable, QString(), executable);
}

QString DesktopMailProgram::name() const
{
    return m_known ? m_known->name : m_name;
}

QStringList DesktopMailProgram::processNames() const
{
    QStringList names = m_known ? m_known->executables : QStringList();
    const QString own = processName(m_exec);
    if (!own.isEmpty() && !names.contains(own))
        names.append(own);
    return names;
}

std::optional<DesktopMailProgram::StartFailure> DesktopMailProgram::open(int folderNumber) const
{
    if (!m_known)
        return start({});
    if (folderNumber != ContactsFolder || !m_known->hasContactsView)
        return start(m_known->mailArguments);
    if (m_known->contactsExecutable.isEmpty())
        return start(m_known->contactsArguments);
    const std::optional<DesktopMailProgram> book
        = installed(nullptr, { m_known->contactsDesktopId }, m_known->contactsExecutable);
    if (!book)
        return StartFailure { m_known->contactsExecutable, QString() };
    return book->start(m_known->contactsArguments);
}

std::optional<DesktopMailProgram::StartFailure>
DesktopMailProgram::start(const QStringList &arguments) const
{
    const StartFailure notInstalled { execArguments(m_exec).value(0, m_name), QString() };
    const char *group = G_KEY_FILE_DESKTOP_GROUP;
    const QByteArray file = QFile::encodeName(m_desktopFile);
    g_autoptr(GKeyFile) entry = g_key_file_new();
    QString exec;
    if (m_desktopFile.isEmpty()) {
        // A program found on PATH alone starts from the entry it would have.
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_TYPE,
                              G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_NAME,
                              m_name.toUtf8().constData());
        exec = execQuoted(m_exec);
    } else if (g_key_file_load_from_file(entry, file.constData(), G_KEY_FILE_NONE, nullptr)) {
        g_autofree gchar *line
            = g_key_file_get_string(entry, group, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr);
        exec = withoutFileForwarding(QString::fromUtf8(line));
    } else {
        return notInstalled;
    }

    g_autoptr(GDesktopAppInfo) info = nullptr;
    // D-Bus activation carries no arguments, so a view that needs some starts the Exec line.
    if (arguments.isEmpty()
        && g_key_file_get_boolean(entry, group, G_KEY_FILE_DESKTOP_KEY_DBUS_ACTIVATABLE, nullptr)) {
        info = g_desktop_app_info_new_from_filename(file.constData());
    } else {
        for (const QString &argument : arguments)
            exec += u' ' + execQuoted(argument);
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_EXEC, exec.toUtf8().constData());
        // In the home folder, as the desktop starts programs, not where the browser was started.
        if (!g_key_file_has_key(entry, group, G_KEY_FILE_DESKTOP_KEY_PATH, nullptr))
            g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_PATH,
                                  QFile::encodeName(QDir::homePath()).constData());
        info = g_desktop_app_info_new_from_keyfile(entry);
    }
    // GIO reads an entry whose TryExec or Exec program is missing as not installed.
    if (!info)
        return notInstalled;
    g_autoptr(GError) error = nullptr;
    if (!g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error))
        return StartFailure { notInstalled.program, QString::fromUtf8(error->message) };
    return std::nullopt;
}
