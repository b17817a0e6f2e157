// Downloads through the real engine, from a loopback server that sends its bodies bit by bit,
// cuts them off or holds them back.

#include "fakeservices.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/api/downloads.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <memory>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeoutMs = 60'000;
constexpr qsizetype BigSize = 4 * 1024 * 1024;

QByteArray content(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + (i * 7 + i / 4096) % 26);
    return bytes;
}

} // namespace

class tst_Downloads : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void showsProgressAndEnd_data();
    void showsProgressAndEnd();
    void declinedSaveDownloadsNothing_data();
    void declinedSaveDownloadsNothing();
    void twoDownloadsAreBothShown();
    void endedDownloadIsNoNewsOnTheNextPage();
    void keptDownloadOutlivesItsWindow();
    void finishedFileOutlivesCancelAndClear();

private:
    // Waits until the control's status line contains text.
    bool waitForStatus(const QString &text);
    QStringList folderEntries() const
    {
        return QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden);
    }

    HttpServer m_server;
    QByteArray m_body;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
    std::shared_ptr<ScriptedUserQuestions> m_questions;
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_statusTexts;
};

void tst_Downloads::initTestCase()
{
    QVERIFY(m_server.listen());
    m_body = content(BigSize);
    HttpResponse big = HttpResponse::attachment("big.bin", m_body);
    big.chunkSize = 64 * 1024;
    big.chunkDelayMs = 40;
    m_server.route(QStringLiteral("/big.bin"), big);
    HttpResponse cut = big;
    // With a validator the engine keeps what it got, to resume it later.
    cut.headers = { "Content-Disposition: attachment; filename=cut.bin", "ETag: \"cut-1\"" };
    cut.cutAfter = BigSize / 4;
    m_server.route(QStringLiteral("/cut.bin"), cut);
    HttpResponse held = HttpResponse::attachment("held.bin", content(300 * 1024));
    held.holdAfter = 1024;
    m_server.route(QStringLiteral("/held.bin"), held);
    HttpResponse other = HttpResponse::attachment("other.bin", content(200 * 1024));
    other.holdAfter = 1024;
    m_server.route(QStringLiteral("/other.bin"), other);
    m_server.route(QStringLiteral("/page.html"), QByteArray("<p>next page</p>"));
}

void tst_Downloads::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_questions = std::make_shared<ScriptedUserQuestions>();
    m_host = std::make_unique<QWidget>();
    m_control = showInHost(*m_host, m_questions);
    m_statusTexts.clear();
    connect(m_control, &WebBrowserControl::StatusTextChange, this,
            [this](const QString &text) { m_statusTexts.append(text); });
}

void tst_Downloads::cleanup()
{
    m_server.releaseHeld();
    if (m_control && m_control->downloadControl().DownloadsInProgress() > 0) {
        m_control->downloadControl().CancelDownloads();
        QTRY_COMPARE_WITH_TIMEOUT(m_control->downloadControl().DownloadsInProgress(), 0,
                                  LoadTimeoutMs);
    }
    m_host.reset();
    m_control = nullptr;
}

bool tst_Downloads::waitForStatus(const QString &text)
{
    QSignalSpy changed(m_control, &WebBrowserControl::StatusTextChange);
    while (m_statusTexts.isEmpty() || !m_statusTexts.last().contains(text)) {
        if (!changed.wait(LoadTimeoutMs))
            return false;
    }
    return true;
}

void tst_Downloads::showsProgressAndEnd_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("saveAs");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("kept");

    const QString size
        = QLocale().formattedDataSize(BigSize, 1, QLocale::DataSizeTraditionalFormat);
    QTest::newRow("complete") << "/big.bin"
                              << "whole.bin"
                              << "whole.bin: done, " + size << true;
    QTest::newRow("cut off by the server") << "/cut.bin"
                                           << "cut.bin"
                                           << "cut.bin: failed, the connection was lost" << false;
    QTest::newRow("cancelled") << "/held.bin"
                               << "stopped.bin"
                               << "stopped.bin: cancelled" << false;
}

void tst_Downloads::showsProgressAndEnd()
{
    QFETCH(QString, path);
    QFETCH(QString, saveAs);
    QFETCH(QString, ending);
    QFETCH(bool, kept);

    const QString target = m_folder->filePath(saveAs);
    m_questions->savePath = target;
    m_control->Navigate(m_server.url(path));
    QVERIFY(waitForStatus(saveAs + QStringLiteral(": ")));
    if (path == QLatin1String("/held.bin")) {
        QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 1);
        m_control->downloadControl().CancelDownloads();
    }
    QVERIFY2(waitForStatus(ending), qPrintable(m_statusTexts.join(QLatin1Char('\n'))));

    QCOMPARE(m_questions->asked.size(), 1);
    QVERIFY2(m_questions->asked.first().startsWith(QStringLiteral("save /")),
             qPrintable(m_questions->asked.first()));
    QCOMPARE(QFileInfo(m_questions->asked.first().mid(5)).fileName(), QFileInfo(path).fileName());
    QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 0);
    if (kept) {
        // Progress came on the way, with the share of the announced size.
        const QStringList partway = m_statusTexts.filter(
            QRegularExpression(QStringLiteral("^whole\\.bin: .+ of .+ \\((\\d|[1-9]\\d)%\\)$")));
        QVERIFY2(!partway.isEmpty(), qPrintable(m_statusTexts.join(QLatin1Char('\n'))));
        QVERIFY(readAll(target) == m_body);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(folderEntries(), QStringList(), LoadTimeoutMs);
    }
}

void tst_Downloads::declinedSaveDownloadsNothing_data()
{
    // The folders of the home that exist, and the one the save question starts in.
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("offeredIn");
    QTest::newRow("downloads") << QStringList { "Downloads", "Documents" } << "Downloads";
    QTest::newRow("documents alone") << QStringList { "Documents" } << "Documents";
    QTest::newRow("neither") << QStringList() << "";
}

void tst_Downloads::declinedSaveDownloadsNothing()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, offeredIn);
    const QDir home = QDir::home();
    for (const QString &folder : folders)
        QVERIFY(home.mkpath(folder));
    const auto removed = qScopeGuard([&] {
        for (const QString &folder : folders)
            home.rmdir(folder);
    });

    m_control->Navigate(m_server.url(QStringLiteral("/big.bin")));
    QTRY_COMPARE_WITH_TIMEOUT(m_questions->asked.size(), 1, LoadTimeoutMs);
    QCOMPARE(m_questions->asked.first(),
             u"save "_s + QDir::cleanPath(home.filePath(offeredIn) + u"/big.bin"_s));
    QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 0);
    QVERIFY(m_statusTexts.filter(QStringLiteral("big.bin")).isEmpty());
}

void tst_Downloads::twoDownloadsAreBothShown()
{
    m_questions->savePath = m_folder->filePath(QStringLiteral("first.bin"));
    m_control->Navigate(m_server.url(QStringLiteral("/held.bin")));
    QVERIFY(waitForStatus(QStringLiteral("first.bin: ")));
    m_questions->savePath = m_folder->filePath(QStringLiteral("second.bin"));
    m_control->Navigate(m_server.url(QStringLiteral("/other.bin")));
    QVERIFY(waitForStatus(QStringLiteral("second.bin: ")));
    QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 2);
    QVERIFY2(m_statusTexts.last().startsWith(QStringLiteral("first.bin: ")),
             qPrintable(m_statusTexts.last()));

    m_server.releaseHeld();
    QVERIFY(waitForStatus(QStringLiteral("first.bin: done, ")));
    QVERIFY(waitForStatus(QStringLiteral("second.bin: done, ")));
    QVERIFY2(m_statusTexts.last().contains(QStringLiteral("first.bin: done, ")),
             qPrintable(m_statusTexts.last()));
    QCOMPARE(QFileInfo(m_folder->filePath(QStringLiteral("first.bin"))).size(), 300 * 1024);
    QCOMPARE(QFileInfo(m_folder->filePath(QStringLiteral("second.bin"))).size(), 200 * 1024);
}

void tst_Downloads::endedDownloadIsNoNewsOnTheNextPage()
{
    m_questions->savePath = m_folder->filePath(QStringLiteral("stopped.bin"));
    m_control->Navigate(m_server.url(QStringLiteral("/held.bin")));
    QVERIFY(waitForStatus(QStringLiteral("stopped.bin: ")));
    m_control->downloadControl().CancelDownloads();
    QVERIFY(waitForStatus(QStringLiteral("stopped.bin: cancelled")));

    // The window clears its line for a new page: the control says again only what is news.
    QStringList afterCommit;
    QObject listening;
    connect(m_control, &WebBrowserControl::NavigateComplete2, &listening, [&] {
        connect(m_control, &WebBrowserControl::StatusTextChange, &listening,
                [&](const QString &text) { afterCommit.append(text); });
    });
    QSignalSpy loaded(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Navigate(m_server.url(QStringLiteral("/page.html")));
    QVERIFY(loaded.wait(LoadTimeoutMs));
    QVERIFY2(afterCommit.filter(QStringLiteral("stopped.bin")).isEmpty(),
             qPrintable(afterCommit.join(QLatin1Char('\n'))));
}

void tst_Downloads::keptDownloadOutlivesItsWindow()
{
    const QString target = m_folder->filePath(QStringLiteral("kept.bin"));
    m_questions->savePath = target;
    m_control->Navigate(m_server.url(QStringLiteral("/held.bin")));
    QVERIFY(waitForStatus(QStringLiteral("kept.bin: ")));

    // The last control goes, and with it the last page of the profile: the view is gone, and
    // so is whatever the engine deferred, before the body comes.
    const QPointer<QWidget> view = m_control->widget();
    m_host.reset();
    m_control = nullptr;
    QVERIFY(!view);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_server.releaseHeld();
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(target).size(), 300 * 1024, LoadTimeoutMs);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("kept.bin") });
}

void tst_Downloads::finishedFileOutlivesCancelAndClear()
{
    const QString target = m_folder->filePath(QStringLiteral("done.bin"));
    m_questions->savePath = target;
    m_control->Navigate(m_server.url(QStringLiteral("/held.bin")));
    QVERIFY(waitForStatus(QStringLiteral("done.bin: ")));
    m_server.releaseHeld();
    QVERIFY(waitForStatus(QStringLiteral("done.bin: done, ")));
    Downloads &downloads = m_control->downloadControl().downloads();
    const Downloads::Row row = downloads.rows().last();
    QCOMPARE(row.state, Downloads::State::Finished);
    QCOMPARE(row.received, 300 * 1024);

    downloads.cancel(row.id);
    QCOMPARE(downloads.rows().last().state, Downloads::State::Finished);
    downloads.clearFinished();
    QCOMPARE(downloads.rows().size(), 0);
    QTest::qWait(200);
    QCOMPARE(QFileInfo(target).size(), 300 * 1024);
}

KESTRAV_TEST_MAIN(tst_Downloads)
#include "tst_downloads.moc"
