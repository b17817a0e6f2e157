#include "fakesettingsstore.h"
#include "fakewebbrowsercontrol.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <functional>
#include <memory>
#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

// What the window relies on from its web control and its settings store, checked once
// against the real implementation and once against the double that the window tests use,
// so that the double cannot drift from the real thing.

namespace {

using Call = std::function<void(WebBrowserControl &)>;

// The error number of a failing call, or 0 when the call succeeded.
} // namespace

Q_DECLARE_METATYPE(Call)

class WebBrowserControlContract : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<WebBrowserControl *(QWidget *parent)>;
    explicit WebBrowserControlContract(Factory factory)
        : m_factory(std::move(factory))
    {
    }

private Q_SLOTS:
    void init()
    {
        m_host = std::make_unique<QWidget>();
        m_control = m_factory(m_host.get());
    }
    void cleanup() { m_host.reset(); }

    void refusesWhereThereIsNothing_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("number");
        QTest::newRow("blank address")
            << Call([](auto &c) { c.Navigate(QString()); }) << ErrorCode::InvalidProcedureCall;
        QTest::newRow("spaces only") << Call([](auto &c) { c.Navigate(QStringLiteral("   ")); })
                                     << ErrorCode::InvalidProcedureCall;
        QTest::newRow("uninterpretable address")
            << Call([](auto &c) { c.Navigate(QString(QChar(1))); })
            << ErrorCode::InvalidProcedureCall;
        QTest::newRow("back, no page")
            << Call([](auto &c) { c.GoBack(); }) << ErrorCode::Unexpected;
        QTest::newRow("forward, no page")
            << Call([](auto &c) { c.GoForward(); }) << ErrorCode::Unexpected;
        QTest::newRow("body, nothing loaded")
            << Call([](auto &c) { c.document().DocumentBodyInnerHTML(); })
            << ErrorCode::ObjectNotSet;
        QTest::newRow("links, nothing loaded")
            << Call([](auto &c) { c.document().DocumentLinkHrefs(); }) << ErrorCode::ObjectNotSet;
        QTest::newRow("text saved, nothing loaded") << Call([](auto &c) {
            c.document().ExecWB(DocumentAccess::SaveAsCommand, DocumentAccess::DontPromptUser,
                                QDir::temp().filePath(QStringLiteral("never.txt")));
        }) << ErrorCode::ObjectNotSet;
        QTest::newRow("unknown command")
            << Call([](auto &c) { c.document().ExecWB(1, DocumentAccess::DontPromptUser, {}); })
            << ErrorCode::InvalidProcedureCall;
        QTest::newRow("page saved, nothing loaded") << Call([](auto &c) {
            c.document().SavePage(QDir::temp().filePath(QStringLiteral("never.html")), true);
        }) << ErrorCode::ObjectNotSet;
        QTest::newRow("page printed, nothing loaded") << Call([](auto &c) {
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFileName(QDir::temp().filePath(QStringLiteral("never.pdf")));
            c.printing().PrintPage(printer);
        }) << ErrorCode::ObjectNotSet;
        QTest::newRow("find, nothing loaded")
            << Call([](auto &c) { c.find().FindText(QStringLiteral("x"), false, false); }) << 0;
        QTest::newRow("downloads cancelled, none running")
            << Call([](auto &c) { c.downloadControl().CancelDownloads(); }) << 0;
    }

    void refusesWhereThereIsNothing()
    {
        QFETCH(Call, call);
        QFETCH(int, number);
        QCOMPARE(failureNumber([&] { call(*m_control); }), number);
        // A refused call starts nothing.
        QVERIFY(!m_control->Busy());
        QCOMPARE(m_control->LocationURL(), QString());
    }

    // A fresh control shows pages at 100 %, until a zoom is set; no download runs and no
    // element was pointed at.
    void partsStartQuiet()
    {
        QCOMPARE(m_control->zoom().ZoomFactor(), 1.0);
        m_control->zoom().SetZoomFactor(1.5);
        QCOMPARE(m_control->zoom().ZoomFactor(), 1.5);
        QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 0);
        QVERIFY(m_control->downloadControl().downloads().rows().isEmpty());
        QCOMPARE(m_control->tools().SelectorAtMenuPoint(), QString());
    }

    // The features follow the page through its events part: each event reaches it once, with
    // what the control told.
    void eventsPartTellsWhatTheControlTells()
    {
        PageEvents &events = m_control->events();
        QSignalSpy navigated(&events, &PageEvents::NavigateComplete2);
        QSignalSpy loaded(&events, &PageEvents::DownloadComplete);
        QSignalSpy titled(&events, &PageEvents::TitleChange);
        QSignalSpy status(&events, &PageEvents::StatusTextChange);
        Q_EMIT m_control->NavigateComplete2(QStringLiteral("http://a.test/"));
        Q_EMIT m_control->TitleChange(QStringLiteral("A page"));
        Q_EMIT m_control->StatusTextChange(QStringLiteral("http://a.test/link"));
        Q_EMIT m_control->DownloadComplete();
        QCOMPARE(navigated, QList<QList<QVariant>>({ { QStringLiteral("http://a.test/") } }));
        QCOMPARE(titled, QList<QList<QVariant>>({ { QStringLiteral("A page") } }));
        QCOMPARE(status, QList<QList<QVariant>>({ { QStringLiteral("http://a.test/link") } }));
        QCOMPARE(loaded.count(), 1);
    }

private:
    Factory m_factory;
    std::unique_ptr<QWidget> m_host;
    WebBrowserControl *m_control = nullptr;
};

class SettingsStoreContract : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<SettingsStore>(const QString &folder)>;
    explicit SettingsStoreContract(Factory factory)
        : m_factory(std::move(factory))
    {
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_store = m_factory(m_folder->path());
    }

    void missingKeyReadsEmpty()
    {
        QCOMPARE(m_store->GetSetting(App, Section, QStringLiteral("URLHistory1")), QString());
        QCOMPARE(m_store->GetAllSettings(App, Section), Rows());
        m_store->SaveSetting(App, Section, QStringLiteral("URLHistory1"), QStringLiteral("a"));
        // Keys, sections and applications are matched exactly.
        QCOMPARE(m_store->GetSetting(App, Section, QStringLiteral("urlhistory1")), QString());
        QCOMPARE(
            m_store->GetSetting(App, QStringLiteral("URL history"), QStringLiteral("URLHistory1")),
            QString());
        QCOMPARE(
            m_store->GetSetting(QStringLiteral("Other"), Section, QStringLiteral("URLHistory1")),
            QString());
    }

    void sectionListsInCreationOrder()
    {
        for (int n : { 2, 10, 1 })
            m_store->SaveSetting(App, Section, key(n), QString::number(n));
        m_store->SaveSetting(App, Section, key(10), QStringLiteral("again")); // keeps its place
        m_store->SaveSetting(App, QStringLiteral("Elsewhere"), key(3), QStringLiteral("3"));
        const Rows expected { { key(2), QStringLiteral("2") },
                              { key(10), QStringLiteral("again") },
                              { key(1), QStringLiteral("1") } };
        QCOMPARE(m_store->GetAllSettings(App, Section), expected);
    }

    void failedWriteLeavesNothing()
    {
        m_store->SaveSetting(App, Section, key(1), QStringLiteral("kept"));
        const int number = failureNumber([&] {
            m_store->transaction([&] {
                m_store->SaveSetting(App, Section, key(1), QStringLiteral("changed"));
                m_store->SaveSetting(App, Section, key(2), QStringLiteral("added"));
                throw PlatformError(ErrorCode::PathFileAccess, QStringLiteral("disk full"));
            });
        });
        QCOMPARE(number, ErrorCode::PathFileAccess);
        QCOMPARE(m_store->GetAllSettings(App, Section),
                 (Rows { { key(1), QStringLiteral("kept") } }));
    }

private:
    using Rows = QList<SettingsStore::Row>;
    static QString key(int n) { return QStringLiteral("URLHistory%1").arg(n); }
    const QString App = QStringLiteral("ZivaruruviVO");
    const QString Section = QStringLiteral("URL History");

    Factory m_factory;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<SettingsStore> m_store;
};

// One class name per implementation, so the report says which one failed.
#define KESTRAV_CONTRACT(Name, Contract, factory)                                                  \
    class Name final : public Contract                                                             \
    {                                                                                              \
        Q_OBJECT                                                                                   \
    public:                                                                                        \
        Name()                                                                                     \
            : Contract(factory)                                                                    \
        {                                                                                          \
        }                                                                                          \
    };

KESTRAV_CONTRACT(tst_WebEngineBrowserControlContract, WebBrowserControlContract,
                 [](QWidget *parent) { return new WebEngineBrowserControl(parent); })
KESTRAV_CONTRACT(tst_FakeWebBrowserControlContract, WebBrowserControlContract,
                 [](QWidget *parent) { return new FakeWebBrowserControl(parent); })
KESTRAV_CONTRACT(tst_SqliteSettingsStoreContract, SettingsStoreContract,
                 [](const QString &folder) -> std::unique_ptr<SettingsStore> {
                     return std::make_unique<SqliteSettingsStore>(folder
                                                                  + QStringLiteral("/s.sqlite"));
                 })
KESTRAV_CONTRACT(tst_FakeSettingsStoreContract, SettingsStoreContract,
                 [](const QString &) -> std::unique_ptr<SettingsStore> {
                     return std::make_unique<FakeSettingsStore>();
                 })

int main(int argc, char *argv[])
{
    HermeticHome home;
    QApplication application(argc, argv);
    int failures = 0;
    const auto run = [&](QObject &&contract) { failures += QTest::qExec(&contract, argc, argv); };
    run(tst_WebEngineBrowserControlContract());
    run(tst_FakeWebBrowserControlContract());
    run(tst_SqliteSettingsStoreContract());
    run(tst_FakeSettingsStoreContract());
    return failures;
}

#include "tst_contracts.moc"
