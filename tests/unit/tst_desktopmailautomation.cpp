#include "desktopmailautomation.h"
#include "fakemaildesktop.h"
#include "platformerror.h"
#include "testsupport.h"

#include <functional>
#include <QDir>
#include <QProcess>

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

QString desktopEntry(const QString &exec)
{
    return u"[Desktop Entry]\nName=Mail\nExec="_s + exec
        + u"\n[Desktop Action compose]\nExec=thunderbird -compose\n"_s;
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
};

void tst_DesktopMailAutomation::init()
{
    m_desktop = std::make_unique<FakeMailDesktop>();
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
    QTest::newRow("system default")
        << QStringList { "thunderbird", "kmail" }
        << Files { { "etc/mimeapps.list", mailtoDefault("org.kde.kmail2.desktop;") },
                   { "share/applications/org.kde.kmail2.desktop",
                     desktopEntry("kmail -caption \"%c\" %u") } }
        << "kmail";
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
                   { "config/testdesk-mimeapps.list", mailtoDefault("org.gnome.Geary.desktop") },
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
    QTest::newRow("unknown default program")
        << QStringList { "mutt", "thunderbird" }
        << Files { { "config/mimeapps.list", mailtoDefault("mutt.desktop") },
                   { "share/applications/mutt.desktop", desktopEntry("mutt %u") } }
        << "thunderbird -mail";
    QTest::newRow("default program not on PATH")
        << QStringList { "thunderbird" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Geary.desktop") },
                   { geary, desktopEntry("geary %U") } }
        << "thunderbird -mail";
    QTest::newRow("Exec with env and a quoted path")
        << QStringList { "thunderbird", "evolution" }
        << Files { { "config/mimeapps.list", mailtoDefault("org.gnome.Evolution.desktop") },
                   { evolution, desktopEntry("env LANG=C \"@BIN@/evolution\" %U") } }
        << "evolution --component=mail";
}

void tst_DesktopMailAutomation::chosenProgram()
{
    QFETCH(QStringList, onPath);
    QFETCH(Files, files);
    QFETCH(QString, started);
    for (const QString &name : onPath)
        m_desktop->addProgram(name);
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        m_desktop->writeFile(file.key(), file.value());
    DesktopMailAutomation automation(m_processes.path());
    openFolder(automation, 6);
    QTRY_COMPARE(m_desktop->started(), QStringList { started });
}

void tst_DesktopMailAutomation::views_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("started"); // Inbox, Outbox, Contacts
    QTest::newRow("Thunderbird") << "thunderbird"
                                 << QStringList { "thunderbird -mail", "thunderbird -mail",
                                                  "thunderbird -addressbook" };
    QTest::newRow("Evolution") << "evolution"
                               << QStringList { "evolution --component=mail",
                                                "evolution --component=mail",
                                                "evolution --component=contacts" };
    QTest::newRow("KMail") << "kmail" << QStringList { "kmail", "kmail", "kaddressbook" };
    QTest::newRow("Geary, without a contacts view")
        << "geary" << QStringList { "geary", "geary", "geary" };
}

void tst_DesktopMailAutomation::views()
{
    QFETCH(QString, program);
    QFETCH(QStringList, started);
    m_desktop->addProgram(program);
    m_desktop->addProgram(u"kaddressbook"_s);
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
    m_desktop->writeFile(u"config/mimeapps.list"_s, mailtoDefault(u"thunderbird.desktop"_s));
    m_desktop->writeFile(u"share/applications/thunderbird.desktop"_s,
                         desktopEntry(u"/nowhere/thunderbird %u"_s));
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
    QTest::addColumn<bool>("runnable");
    QTest::addColumn<bool>("removedBeforeDisplay");
    QTest::addColumn<int>("folder");
    QTest::addColumn<int>("number");
    QTest::newRow("address book not installed") << true << false << 10 << 53;
    QTest::newRow("program not runnable") << false << false << 6 << 70;
    QTest::newRow("program removed since the start") << true << true << 6 << 53;
}

void tst_DesktopMailAutomation::displayFailures()
{
    QFETCH(bool, runnable);
    QFETCH(bool, removedBeforeDisplay);
    QFETCH(int, folder);
    QFETCH(int, number);
    // KMail as the default, by the path of its desktop entry, so that a program that cannot
    // run is still the one chosen.
    m_desktop->addProgram(u"kmail"_s, runnable);
    m_desktop->writeFile(u"config/mimeapps.list"_s, mailtoDefault(u"kmail.desktop"_s));
    m_desktop->writeFile(u"share/applications/kmail.desktop"_s, desktopEntry(u"@BIN@/kmail"_s));
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
    QTest::addColumn<QStringList>("processes"); // "id stat line", in the process folder
    QTest::addColumn<bool>("attached");
    QTest::newRow("running") << QStringList { "1 (systemd) S 0", "4242 (thunderbird) S 1" } << true;
    QTest::newRow("running under its other name")
        << QStringList { "77 (thunderbird-bin) R 1" } << true;
    QTest::newRow("ended, not yet reaped") << QStringList { "4242 (thunderbird) Z 1" } << false;
    QTest::newRow("another mail program") << QStringList { "4242 (evolution) S 1" } << false;
    QTest::newRow("a name that only contains it")
        << QStringList { "4242 (thunderbird) helper) S 1" } << false;
}

void tst_DesktopMailAutomation::attach()
{
    QFETCH(QStringList, processes);
    QFETCH(bool, attached);
    m_desktop->addProgram(u"thunderbird"_s);
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
