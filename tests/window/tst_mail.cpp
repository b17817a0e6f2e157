#include "fakemaildesktop.h"
#include "platform/api/mailautomation.h"
#include "platform/desktop/mail/desktopmailautomation.h"
#include "windowfixture.h"

#include <QRegularExpression>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

// The calls of one command that opens folder (0: none), attaching to a running program or
// starting one.
QStringList commandCalls(bool running, int folder)
{
    QStringList calls { u"GetObject(Outlook.Application)"_s };
    if (!running)
        calls << u"CreateObject(Outlook.Application)"_s;
    calls << u"GetNamespace(MAPI)"_s << u"Logon(,,true,true)"_s;
    if (folder)
        calls << u"GetDefaultFolder(%1)"_s.arg(folder) << u"Display(%1)"_s.arg(folder);
    return calls << u"Logoff()"_s;
}

} // namespace

class tst_Mail : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void commands_data();
    void commands();
    void folderNames_data();
    void folderNames();
    void failures_data();
    void failures();
    void twoCommandsInARow();
    void userMailProgram();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    RecordingMailAutomation &mail() { return *m_fixture->test.mail; }
    QStringList &calls() { return mail().log->calls; }
    // A menu item by name, or a toolbar button by key, clicked as the user would.
    void click(const QString &control);

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_Mail::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    m_fixture->tbrProgress()->setValue(0);
}

void tst_Mail::click(const QString &control)
{
    if (control.startsWith(u"mnu"))
        m_fixture->chooseItem(control);
    else
        m_fixture->clickButton(control);
}

void tst_Mail::commands_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("folder");
    QTest::newRow("Mail > Inbox, program running") << "mnuMailInbox" << true << 6;
    QTest::newRow("Mail > Outbox, program started") << "mnuMailOutbox" << false << 4;
    QTest::newRow("Mail > Contacts, program running") << "mnuMailContacts" << true << 10;
    QTest::newRow("Inbox button, program started") << "tbrInbox" << false << 6;
    QTest::newRow("Outbox button, program running") << "tbrOutbox" << true << 4;
    QTest::newRow("Contacts button, program started") << "tbrContacts" << false << 10;
}

void tst_Mail::commands()
{
    QFETCH(QString, control);
    QFETCH(bool, running);
    QFETCH(int, folder);
    mail().running = running;
    click(control);
    QCOMPARE(calls(), commandCalls(running, folder));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QVERIFY(!window().holdsMailSession());
    QVERIFY(window().mailFolder());
    QCOMPARE(window().mailFolder(), mail().log->lastFolder.lock());
}

void tst_Mail::folderNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("folder");
    QTest::newRow("lower case") << "inbox" << 6;
    QTest::newRow("upper case") << "INBOX" << 6;
    QTest::newRow("not a folder of ours") << "Drafts" << 0;
}

void tst_Mail::folderNames()
{
    QFETCH(QString, name);
    QFETCH(int, folder);
    mail().running = true;
    window().OpenMailFolder(name);
    QCOMPARE(calls(), commandCalls(true, folder));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_Mail::failures_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("failingCall");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("no mail program")
        << false << "" << 0 << "OutlookLogon\r\n91     no mail program here";
    QTest::newRow("name space") << true << "GetNamespace" << 440
                                << "OutlookLogon\r\n440     GetNamespace failed";
    QTest::newRow("profile dialog cancelled")
        << true << "Logon" << 32755 << "OutlookLogon\r\n32755     Logon failed";
    QTest::newRow("folder not shown")
        << true << "Display" << 75 << "OutlookLogon\r\n75     Display failed";
    QTest::newRow("logoff") << true << "Logoff" << 440 << "OutlookLogon\r\n440     Logoff failed";
}

void tst_Mail::failures()
{
    QFETCH(bool, installed);
    QFETCH(QString, failingCall);
    QFETCH(int, number);
    QFETCH(QString, prompt);
    mail().installed = installed;
    mail().log->failingCall = failingCall;
    mail().log->failureNumber = number;
    click(u"mnuMailInbox"_s);

    QCOMPARE(m_fixture->test.messages->prompts, QStringList { prompt });
    // The command stops at the failing call: no logoff after it, the references kept.
    const QStringList full = commandCalls(false, 6);
    const qsizetype failedAt
        = installed ? full.indexOf(QRegularExpression(failingCall + u"\\(.*"_s)) : 1;
    QVERIFY(failedAt >= 0);
    QCOMPARE(calls(), full.first(failedAt + 1));
    QVERIFY(window().holdsMailSession());
}

void tst_Mail::twoCommandsInARow()
{
    click(u"mnuMailInbox"_s);
    const std::shared_ptr<MailFolder> inbox = window().mailFolder();
    click(u"tbrContacts"_s);
    QCOMPARE(calls(), commandCalls(false, 6) + commandCalls(true, 10));
    QVERIFY(window().mailFolder() != inbox);
    QCOMPARE(window().mailFolder(), mail().log->lastFolder.lock());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

// The real desktop mail automation behind the window, with nothing but fake programs around.
void tst_Mail::userMailProgram()
{
    FakeMailDesktop desktop;
    const QTemporaryDir noProcesses;
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->test.platform.mail = std::make_shared<DesktopMailAutomation>(noProcesses.path());
    m_fixture->start();
    const QStringList &prompts = m_fixture->test.messages->prompts;

    click(u"mnuMailInbox"_s);
    QCOMPARE(
        prompts,
        QStringList { u"OutlookLogon\r\n91     No mail program found (looked for Thunderbird, "
                      u"Evolution, KMail, Geary). Install one or set a default mail program."_s });

    desktop.addProgram(u"thunderbird"_s);
    QStringList started;
    for (const auto &[control, arguments] : { std::pair { u"mnuMailInbox"_s, u"-mail"_s },
                                              { u"mnuMailOutbox"_s, u"-mail"_s },
                                              { u"tbrContacts"_s, u"-addressbook"_s } }) {
        click(control);
        started << u"thunderbird "_s + arguments;
        QTRY_COMPARE(desktop.started(), started);
    }
    QCOMPARE(prompts.size(), 1);
}

KESTRAV_TEST_MAIN(tst_Mail)
#include "tst_mail.moc"
