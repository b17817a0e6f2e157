#include "fakemaildesktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

QDir root()
{
    static const QTemporaryDir folder;
    return QDir(folder.path());
}

} // namespace

FakeMailDesktop::FakeMailDesktop()
{
    const QDir root = ::root();
    // A file of its own, so that a program of an earlier desktop that runs late is not counted.
    static int instances = 0;
    m_started = root.filePath(QStringLiteral("started-%1").arg(++instances));
    const auto point = [&](const char *variable, const QString &value) {
        m_saved.append({ variable,
                         qEnvironmentVariableIsSet(variable) ? std::optional(qgetenv(variable))
                                                             : std::nullopt });
        qputenv(variable, QFile::encodeName(value));
    };
    for (const char *folder : { "bin", "config", "etc", "local", "share" })
        QDir(root.filePath(QString::fromLatin1(folder))).removeRecursively();
    for (const char *folder :
         { "bin", "config", "etc", "local/applications", "share/applications" })
        root.mkpath(QString::fromLatin1(folder));
    point("PATH", binFolder());
    point("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")));
    point("XDG_CONFIG_DIRS", root.filePath(QStringLiteral("etc")));
    point("XDG_DATA_HOME", root.filePath(QStringLiteral("local")));
    point("XDG_DATA_DIRS", root.filePath(QStringLiteral("share")));
    point("XDG_CURRENT_DESKTOP", QStringLiteral("TestDesk"));
}

FakeMailDesktop::~FakeMailDesktop()
{
    for (const auto &[variable, value] : m_saved) {
        if (value)
            qputenv(variable, *value);
        else
            qunsetenv(variable);
    }
}

QString FakeMailDesktop::binFolder() const
{
    return root().filePath(QStringLiteral("bin"));
}

void FakeMailDesktop::addProgram(const QString &name)
{
    // No PATH is needed inside: the script uses shell built-ins only.
    const QString script
        = QStringLiteral("#!/bin/sh\necho \"${0##*/}${*:+ $*}\" >> '%1'\n").arg(m_started);
    writeFile(QStringLiteral("bin/") + name, script);
    QFile::setPermissions(root().filePath(QStringLiteral("bin/") + name),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void FakeMailDesktop::removeProgram(const QString &name)
{
    QFile::remove(root().filePath(QStringLiteral("bin/") + name));
}

void FakeMailDesktop::writeFile(const QString &relativePath, const QString &content)
{
    QFile file(root().filePath(relativePath));
    QDir().mkpath(QFileInfo(file).path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.write(QString(content).replace(QStringLiteral("@BIN@"), binFolder()).toUtf8());
}

QStringList FakeMailDesktop::started() const
{
    QFile file(m_started);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
