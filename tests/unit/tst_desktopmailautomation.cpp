#include "fakemaildesktop.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/mail/desktopmailautomation.h"
#include "testsupport.h"

#include <algorithm>
#include <csignal>
#include <functional>
#include <QDir>
#include <QProcess>
#include <sys/prctl.h>

// GLib's headers name struct members "signals", a Qt keyword that this file does not use.
#undef signals
#include <gio/gio.h>

using namespace Qt::StringLiterals;

namespace {

using Files = QMap<QString, QString>;

const QString mailClass = u"Outlook.Application"_s;

QString mailtoDefault(const QString &desktopIds)
{
    return u"[Added Associations]\nx-scheme-handler/mailto=thunderbird.desktop\n"
           u"[Default Applications]\ntext/html=browser.desktop\nx-scheme-handler/mailto="_s
        + desktopIds + u'\n';
}

// A desktop entry; keys are more lines of its main group.
QString desktopEntry(const QString &exec, const QString &keys = QString())
{
    return u"[Desktop Entry]\nType=Application\nName=Mail\nExec="_s + exec + u'\n' + keys
        + u"[Desktop Action compose]\nExec=thunderbird -compose\n"_s;
}

// A program as Flatpak exports it, with its Exec line and as the fake flatpak records its start.
const QString flatpakThunderbird
    = u"flatpak run --branch=stable --arch=x86_64 --command=thunderbird org.mozilla.Thunderbird"_s;
const QString flatpakExec = u"@BIN@/%1 @@u %u @@"_s;

// Writes the files and waits until GIO has read them. GIO reads a folder of desktop entries and
// mimeapps.list files anew only once its file monitor has seen a change there, a moment later.
// So a probe goes last into every folder, a default handler of its own, and GIO has read all the
// files when it knows every probe.
bool install(FakeMailDesktop &desktop, const Files &files)
{
    static int round = 0;
    ++round;
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        desktop.writeFile(file.key(), file.value());
    desktop.writeFile(u"share/applications/probe.desktop"_s,
                      u"[Desktop Entry]\nType=Application\nName=Probe\nExec=/bin/true\n"_s);
    QStringList schemes;
    for (const QString &folder :
         { u"config"_s, u"etc"_s, u"local/applications"_s, u"share/applications"_s }) {
        const QString list = folder + u"/mimeapps.list"_s;
        schemes.append(u"probe%1-%2"_s.arg(round).arg(schemes.size()));
        desktop.writeFile(list,
                          files.value(list) + u"\n[Default Applications]\nx-scheme-handler/"_s
                              + schemes.last() + u"=probe.desktop\n"_s);
    }
    return std::all_of(schemes.cbegin(), schemes.cend(), [](const QString &scheme) {
        return QTest::qWaitFor([&] {
            g_autoptr(GAppInfo) probe
                = g_app_info_get_default_for_uri_scheme(scheme.toUtf8().constData());
            return probe != nullptr;
        });
    });
}

// Opens a default folder as a Mail command does, through the whole object model.
void openFolder(MailAutomation &automation, int folder)
{
    const std::shared_ptr<MailNamespace> mapi
        = automation.CreateObject(mailClass)->GetNamespace(u"MAPI"_s);
    mapi->Logon(QString(), QString(), true, true);
    mapi->GetDefaultFolder(folder)->Display();
    mapi->Logoff();
}

} // namespace

class tst_DesktopMailAutomation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup() { m_desktop.reset(); }

    void chosenProgram_data();
    void chosenProgram();
    void views_data();
    void views();
    void noProgram();
    void displayFailures_data();
    void displayFailures();
    void attach_data();
    void attach();
    void attachToRunningProcess();

private:
    std::unique_ptr<FakeMailDesktop> m_desktop;
    QTemporaryDir m_processes;
    QTemporaryDir m_bus;
    QProcess m_busDaemon;
};

// A session bus of our own before GIO first connects, so that D-Bus activation reaches only the
// service made here.
void tst_DesktopMailAutomation::initTestCase()
{
    const QString service = FakeMailDesktop().binFolder() + u"/mailer-service"_s;
    QVERIFY(
        writeAll(m_bus.filePath(u"org.example.Mailer.service"_s),
                 u"[D-BUS Service]\nName=org.example.Mailer\nExec=%1\n"_s.arg(service).toUtf8()));
    QVERIFY(
        writeAll(m_bus.filePath(u"bus.conf"_s),
                 u"<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>"
                 u"<servicedir>%1</servicedir><policy context=\"default\">"
                 u"<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                 u"</policy></busconfig>"_s.arg(m_bus.path())
                     .toUtf8()));
    // The bus ends with this process, also when a test crashes.
    m_busDaemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_busDaemon.start(u"dbus-daemon"_s,
                      { u"--config-file="_s + m_bus.filePath(u"bus.conf"_s), u"--nofork"_s,
                        u"--print-address=1"_s });
    while (!m_busDaemon.canReadLine() && m_busDaemon.waitForReadyRead()) { }
    const QByteArray address = m_busDaemon.readLine().trimmed();
    QVERIFY2(!address.isEmpty(), "dbus-daemon did not start");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

void tst_DesktopMailAutomation::cleanupTestCase()
{
    // GIO's shared connection would end this process when its bus goes away.
    if (GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        g_dbus_connection_set_exit_on_close(bus, false);
        g_object_unref(bus);
    }
    m_busDaemon.terminate();
    m_busDaemon.waitForFinished();
}

void tst_DesktopMailAutomation::init()
{
    m_desktop = std::make_unique<FakeMailDesktop>();
    // GIO forgets the files of the test before.
    QVERIFY(install(*m_desktop, {}));
}

void tst_DesktopMailAutomation::chosenProgram_data()
{
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("started");

    const QString geary = u"share/applications/org.gnome.Geary.desktop"_s;
    const QString evolution = u"share/applications/org.gnome.Evolution.desktop"_s;
    QTest::newRow("first known one on PATH")
        << QStringList { "geary", "evolution" } << Files {} << "evolution --component=mail";
    QTest::newRow("default handler wins over PATH order")
        << QStringList { "thunderbird", "geary" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Geary.desktop") },
                   { geary, desktopEntry("geary %U") } }
        << "geary";
    QTest::newRow("system default, with the arguments of its Exec line")
        << QStringList { "thunderbird", "kmail" }
        << Files { { "etc/mimeapps.list", mailtoDefault("org.kde.kmail2.desktop;") },
                   { "share/applications/org.kde.kmail2.desktop",
                     desktopEntry("kmail -caption %c %u") } }
        << "kmail -caption Mail";
    QTest::newRow("user's list before the system's")
        << QStringList { "thunderbird", "geary", "evolution" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Evolution.desktop") },
                   { "etc/mimeapps.list", mailtoDefault("org.gnome.Geary.desktop") },
                   { geary, desktopEntry("geary %U") },
                   { evolution, desktopEntry("evolution %U") } }
        << "evolution --component=mail";
    QTest::newRow("the desktop's own list first")
        << QStringList { "thunderbird", "geary", "evolution" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Evolution.desktop") },
                   { "config/testdesk-mimeapps.list",
                     "[Default Applications]\nx-scheme-handler/mailto=org.gnome.Geary.desktop" },
                   { geary, desktopEntry("geary %U") },
                   { evolution, desktopEntry("evolution %U") } }
        << "geary";
    QTest::newRow("list and entry in the user's data folder")
        << QStringList { "thunderbird", "geary" }
        << Files { { "local/applications/mimeapps.list", mailtoDefault("my-geary.desktop") },
                   { "local/applications/my-geary.desktop", desktopEntry("geary") } }
        << "geary";
    QTest::newRow("uninstalled handler passes to the next")
        << QStringList { "thunderbird", "geary" }
        << Files { { "config/mimeapps.list",
                     mailtoDefault("gone.desktop;org.gnome.Geary.desktop") },
                   { geary, desktopEntry("geary %U") } }
        << "geary";
    QTest::newRow("default program not on PATH")
        << QStringList { "thunderbird" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Geary.desktop") },
                   { geary, desktopEntry("geary %U") } }
        << "thunderbird -mail";
    QTest::newRow("Exec with env and a quoted path")
        << QStringList { "thunderbird", "evolution" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Evolution.desktop") },
                   { evolution, desktopEntry("/usr/bin/env LANG=C \"@BIN@/evolution\" %U") } }
        << "evolution --component=mail";
    // Started by the bus from its service file, not by the entry's Exec line.
    QTest::newRow("D-Bus activation on the main view")
        << QStringList { "mailer", "mailer-service" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.example.Mailer.desktop") },
                   { "share/applications/org.example.Mailer.desktop",
                     desktopEntry("mailer %U", "DBusActivatable=true\n") } }
        << "mailer-service";
}

void tst_DesktopMailAutomation::chosenProgram()
{
    QFETCH(QStringList, onPath);
    QFETCH(Files, files);
    QFETCH(QString, started);
    for (const QString &name : onPath)
        m_desktop->addProgram(name);
    QVERIFY(install(*m_desktop, files));
    DesktopMailAutomation automation(m_processes.path());
    openFolder(automation, 6);
    QTRY_COMPARE(m_desktop->started(), QStringList { started });
}

void tst_DesktopMailAutomation::views_data()
{
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("started"); // Inbox, Outbox, Contacts
    QTest::newRow("Thunderbird") << QStringList { "thunderbird" } << Files {}
                                 << QStringList { "thunderbird -mail", "thunderbird -mail",
                                                  "thunderbird -addressbook" };
    QTest::newRow("Evolution") << QStringList { "evolution" } << Files {}
                               << QStringList { "evolution --component=mail",
                                                "evolution --component=mail",
                                                "evolution --component=contacts" };
    QTest::newRow("KMail") << QStringList { "kmail" } << Files {}
                           << QStringList { "kmail", "kmail", "kaddressbook" };
    QTest::newRow("Geary, without a contacts view")
        << QStringList { "geary" } << Files {} << QStringList { "geary", "geary", "geary" };
    QTest::newRow("unknown default program")
        << QStringList { "mutt", "thunderbird" }
        << Files { { "config/mimeapps.list", mailtoDefault("mutt.desktop") },
                   { "share/applications/mutt.desktop", desktopEntry("mutt %u") } }
        << QStringList { "mutt", "mutt", "mutt" };
    QTest::newRow("Flatpak, by its desktop id")
        << QStringList { "flatpak" }
        << Files { { "share/applications/org.mozilla.Thunderbird.desktop",
                     desktopEntry(flatpakExec.arg(flatpakThunderbird)) } }
        << QStringList { flatpakThunderbird + " -mail", flatpakThunderbird + " -mail",
                         flatpakThunderbird + " -addressbook" };
    QTest::newRow("D-Bus-activatable, through its Exec line for the arguments")
        << QStringList { "evolution" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Evolution.desktop") },
                   { "share/applications/org.gnome.Evolution.desktop",
                     desktopEntry("evolution %U", "DBusActivatable=true\n") } }
        << QStringList { "evolution --component=mail", "evolution --component=mail",
                         "evolution --component=contacts" };
}

void tst_DesktopMailAutomation::views()
{
    QFETCH(QStringList, onPath);
    QFETCH(Files, files);
    QFETCH(QStringList, started);
    for (const QString &name : onPath + QStringList { u"kaddressbook"_s })
        m_desktop->addProgram(name);
    QVERIFY(install(*m_desktop, files));
    DesktopMailAutomation automation(m_processes.path());
    const int folders[] = { 6, 4, 10 };
    for (int i = 0; i < 3; ++i) {
        openFolder(automation, folders[i]);
        // One at a time: the programs run on their own and may finish in any order.
        QTRY_COMPARE(m_desktop->started(), started.first(i + 1));
    }
}

void tst_DesktopMailAutomation::noProgram()
{
    // A default handler whose program is gone does not count either.
    QVERIFY(install(*m_desktop,
                    { { u"config/mimeapps.list"_s, mailtoDefault(u"thunderbird.desktop"_s) },
                      { u"share/applications/thunderbird.desktop"_s,
                        desktopEntry(u"/nowhere/thunderbird %u"_s) } }));
    DesktopMailAutomation automation(m_processes.path());
    for (const auto &call : { &MailAutomation::GetObject, &MailAutomation::CreateObject }) {
        const std::optional<PlatformError> failure
            = failureOf([&] { (automation.*call)(mailClass); });
        QVERIFY(failure);
        QCOMPARE(failure->number(), 429);
        QCOMPARE(failure->description(),
                 u"No mail program found (looked for Thunderbird, Evolution, KMail, Geary). "
                 u"Install one or set a default mail program."_s);
    }
}

void tst_DesktopMailAutomation::displayFailures_data()
{
    QTest::addColumn<QString>("keys"); // more lines of the entry
    QTest::addColumn<bool>("removedBeforeDisplay");
    QTest::addColumn<int>("folder");
    QTest::addColumn<int>("number");
    QTest::newRow("address book not installed") << "" << false << 10 << 53;
    QTest::newRow("terminal program without a terminal") << "Terminal=true\n" << false << 6 << 70;
    QTest::newRow("program removed since the start") << "" << true << 6 << 53;
}

void tst_DesktopMailAutomation::displayFailures()
{
    QFETCH(QString, keys);
    QFETCH(bool, removedBeforeDisplay);
    QFETCH(int, folder);
    QFETCH(int, number);
    // KMail as the default, by the path of its desktop entry.
    m_desktop->addProgram(u"kmail"_s);
    QVERIFY(install(
        *m_desktop,
        { { u"config/mimeapps.list"_s, mailtoDefault(u"kmail.desktop"_s) },
          { u"share/applications/kmail.desktop"_s, desktopEntry(u"@BIN@/kmail"_s, keys) } }));
    DesktopMailAutomation automation(m_processes.path());
    const std::shared_ptr<MailFolder> shown
        = automation.CreateObject(mailClass)->GetNamespace(u"MAPI"_s)->GetDefaultFolder(folder);
    if (removedBeforeDisplay)
        m_desktop->removeProgram(u"kmail"_s);
    QCOMPARE(failureNumber([&] { shown->Display(); }), number);
    QCOMPARE(m_desktop->started(), QStringList());
}

void tst_DesktopMailAutomation::attach_data()
{
    QTest::addColumn<QString>("defaultExec"); // of the default mail program, none when empty
    QTest::addColumn<QStringList>("processes"); // "id stat line", in the process folder
    QTest::addColumn<bool>("attached");
    QTest::newRow("running") << "" << QStringList { "1 (systemd) S 0", "4242 (thunderbird) S 1" }
                             << true;
    QTest::newRow("running under its other name")
        << "" << QStringList { "77 (thunderbird-bin) R 1" } << true;
    QTest::newRow("ended, not yet reaped")
        << "" << QStringList { "4242 (thunderbird) Z 1" } << false;
    QTest::newRow("another mail program") << "" << QStringList { "4242 (evolution) S 1" } << false;
    QTest::newRow("a name that only contains it")
        << "" << QStringList { "4242 (thunderbird) helper) S 1" } << false;
    QTest::newRow("unknown default program, by its Exec line")
        << "mutt %u" << QStringList { "4242 (mutt) S 1" } << true;
    const QString clawsMail
        = flatpakExec.arg(u"flatpak run --command=claws-mail org.claws_mail.Claws-Mail"_s);
    QTest::newRow("Flatpak program, by the command it runs")
        << clawsMail << QStringList { "4243 (claws-mail) S 4242" } << true;
    QTest::newRow("Flatpak program, not by flatpak itself")
        << clawsMail << QStringList { "4242 (flatpak) S 1" } << false;
}

void tst_DesktopMailAutomation::attach()
{
    QFETCH(QString, defaultExec);
    QFETCH(QStringList, processes);
    QFETCH(bool, attached);
    for (const QString &name : { u"thunderbird"_s, u"mutt"_s, u"flatpak"_s })
        m_desktop->addProgram(name);
    if (!defaultExec.isEmpty())
        QVERIFY(install(*m_desktop,
                        { { u"config/mimeapps.list"_s, mailtoDefault(u"mail.desktop"_s) },
                          { u"share/applications/mail.desktop"_s, desktopEntry(defaultExec) } }));
    const QTemporaryDir processFolder;
    for (const QString &stat : processes) {
        const QString id = stat.section(u' ', 0, 0);
        QVERIFY(QDir(processFolder.path()).mkpath(id));
        QFile file(processFolder.filePath(id + u"/stat"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stat.toUtf8());
    }
    DesktopMailAutomation automation(processFolder.path());
    const std::optional<PlatformError> failure
        = failureOf([&] { automation.GetObject(mailClass); });
    QCOMPARE(!failure, attached);
    if (failure)
        QCOMPARE(failure->number(), 429);
}

void tst_DesktopMailAutomation::attachToRunningProcess()
{
    m_desktop->addProgram(u"thunderbird"_s);
    DesktopMailAutomation automation;
    QProcess running;
    m_desktop->writeFile(u"bin/thunderbird"_s, u"#!/bin/sh\nread line\n"_s);
    running.start(m_desktop->binFolder() + u"/thunderbird"_s);
    QVERIFY(running.waitForStarted());
    QTRY_VERIFY(!failureOf([&] { automation.GetObject(mailClass); }));
    running.closeWriteChannel();
    QVERIFY(running.waitForFinished());
}

KESTRAV_TEST_GUILESS_MAIN(tst_DesktopMailAutomation)
#include "tst_desktopmailautomation.moc"
