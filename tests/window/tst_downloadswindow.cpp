// The downloads window as the browser window opens it, on a list of downloads the test
// writes, and the question before the program ends while downloads run.

#include "ui/downloads/downloadsmodel.h"
#include "ui/downloads/downloadswindow.h"
#include "windowfixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

using namespace Qt::StringLiterals;
using State = Downloads::State;

namespace {

Downloads::Row download(quint32 id, State state)
{
    const QString name = u"file%1.bin"_s.arg(id);
    return { .id = id,
             .name = name,
             .path = u"/downloads/"_s + name,
             .received = 512 * 1024,
             .total = 1024 * 1024,
             .bytesPerSecond = 64 * 1024,
             .state = state,
             .ending = state == State::Running ? QString() : u"ended"_s };
}

DownloadsWindow *shownDownloadsWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<DownloadsWindow *>(window); found && found->isVisible())
            return found;
    }
    return nullptr;
}

} // namespace

class tst_DownloadsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensFromKeysAndStatusBar_data();
    void opensFromKeysAndStatusBar();
    void buttonsActOnTheSelectedDownload_data();
    void buttonsActOnTheSelectedDownload();
    void failedOpenIsReported();
    void listFollowsChangesAFewTimesASecond();
    void clearingKeepsTheSelection();
    void leavingAsksWhileDownloadsRun_data();
    void leavingAsksWhileDownloadsRun();

private:
    FakeDownloads &downloads() const { return *m_fixture->test.downloads; }
    DownloadsWindow *openWindow() const
    {
        QTest::keySequence(m_fixture->frame.get(), QKeySequence(u"Ctrl+Shift+Y"_s));
        return shownDownloadsWindow();
    }
    template<typename Control> Control *control(DownloadsWindow *window, const QString &name)
    {
        return window->findChild<Control *>(name);
    }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_DownloadsWindow::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

void tst_DownloadsWindow::cleanup()
{
    m_fixture.reset();
    QVERIFY(!shownDownloadsWindow());
}

void tst_DownloadsWindow::opensFromKeysAndStatusBar_data()
{
    QTest::addColumn<bool>("byKeys");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("opens");
    QTest::newRow("keys, nothing downloaded") << true << false << true;
    QTest::newRow("status bar with downloads") << false << true << true;
    QTest::newRow("status bar without downloads") << false << false << false;
}

void tst_DownloadsWindow::opensFromKeysAndStatusBar()
{
    QFETCH(bool, byKeys);
    QFETCH(bool, listed);
    QFETCH(bool, opens);

    if (listed) {
        downloads().add(download(1, State::Finished));
        downloads().add(download(2, State::Running));
    }
    if (byKeys) {
        openWindow();
    } else {
        m_fixture->frame->setStatusText(u"file2.bin: 512 KB of 1 MB (50%)"_s);
        QTest::mouseClick(m_fixture->frame->Panel1, Qt::LeftButton);
    }
    DownloadsWindow *window = shownDownloadsWindow();
    QCOMPARE(window != nullptr, opens);
    if (!window)
        return;
    QTreeView *list = window->list();
    QCOMPARE(list->model()->rowCount(), listed ? 2 : 0);
    if (listed) {
        // The newest is selected, and its row says how far it is.
        QCOMPARE(list->currentIndex().row(), 1);
        const QModelIndex progress = list->model()->index(1, DownloadsModel::ProgressColumn);
        const auto size = [](qint64 bytes) {
            return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
        };
        QCOMPARE(progress.data().toString(),
                 u"%1 of %2 (50%)"_s.arg(size(512 * 1024), size(1024 * 1024)));
        QCOMPARE(list->model()->index(1, DownloadsModel::SpeedColumn).data().toString(),
                 size(64 * 1024) + u"/s"_s);
        QCOMPARE(list->model()->index(0, DownloadsModel::StateColumn).data().toString(),
                 u"ended"_s);
    }
    // Every control that takes the keyboard has a name for a screen reader.
    for (QWidget *part : window->findChildren<QWidget *>()) {
        if (part->focusPolicy() != Qt::NoFocus && part->isVisibleTo(window)
            && !part->inherits("QScrollBar") && part->parentWidget() == window)
            QVERIFY2(!part->accessibleName().isEmpty(), qPrintable(part->objectName()));
    }
}

void tst_DownloadsWindow::buttonsActOnTheSelectedDownload_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("done");

    QTest::newRow("running: cancel")
        << State::Running << "cmdCancelDownload" << QStringList { u"cancel 7"_s };
    QTest::newRow("running: no open") << State::Running << "cmdOpenDownload" << QStringList();
    QTest::newRow("running: no clear") << State::Running << "cmdClearDownloads" << QStringList();
    QTest::newRow("finished: open")
        << State::Finished << "cmdOpenDownload" << QStringList { u"open /downloads/file7.bin"_s };
    QTest::newRow("finished: show in folder")
        << State::Finished << "cmdShowDownload" << QStringList { u"show /downloads/file7.bin"_s };
    QTest::newRow("finished: no cancel") << State::Finished << "cmdCancelDownload" << QStringList();
    QTest::newRow("finished: clear")
        << State::Finished << "cmdClearDownloads" << QStringList { u"clearFinished"_s };
    QTest::newRow("failed: no open") << State::Failed << "cmdOpenDownload" << QStringList();
    QTest::newRow("cancelled: no show") << State::Cancelled << "cmdShowDownload" << QStringList();
}

void tst_DownloadsWindow::buttonsActOnTheSelectedDownload()
{
    QFETCH(State, state);
    QFETCH(QString, button);
    QFETCH(QStringList, done);

    downloads().add(download(7, state));
    DownloadsWindow *window = openWindow();
    QVERIFY(window);
    auto *pressed = control<QPushButton>(window, button);
    QVERIFY(pressed);
    QCOMPARE(pressed->isEnabled(), !done.isEmpty());
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(downloads().calls + m_fixture->test.files->calls, done);
    QVERIFY(m_fixture->test.messages->prompts.isEmpty());
    if (done == QStringList { u"cancel 7"_s }) {
        // The cancelled download can no longer be cancelled; it can be cleared.
        QVERIFY(!control<QPushButton>(window, u"cmdCancelDownload"_s)->isEnabled());
        QVERIFY(control<QPushButton>(window, u"cmdClearDownloads"_s)->isEnabled());
    }
}

void tst_DownloadsWindow::failedOpenIsReported()
{
    downloads().add(download(3, State::Finished));
    m_fixture->test.files->fail = true;
    DownloadsWindow *window = openWindow();
    QVERIFY(window);
    // Enter on the list opens the download, as the button does.
    QTest::keyClick(window->list(), Qt::Key_Return);
    QCOMPARE(m_fixture->test.files->calls, QStringList { u"open /downloads/file3.bin"_s });
    QCOMPARE(m_fixture->test.messages->prompts.size(), 1);
    QVERIFY2(m_fixture->test.messages->prompts.first().contains(u"gone"_s),
             qPrintable(m_fixture->test.messages->prompts.first()));
    QVERIFY(window->isVisible());
}

void tst_DownloadsWindow::listFollowsChangesAFewTimesASecond()
{
    downloads().add(download(1, State::Running));
    DownloadsWindow *window = openWindow();
    QVERIFY(window);
    QAbstractItemModel *model = window->list()->model();
    QSignalSpy refreshed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);

    // Bytes come in far more often than anyone can read; the rows follow at their own pace.
    QElapsedTimer clock;
    clock.start();
    qint64 received = 0;
    while (clock.elapsed() < 1000) {
        received += 1024;
        downloads().list[0].received = received;
        Q_EMIT downloads().changed();
        QTest::qWait(5);
    }
    downloads().add(download(2, State::Running));
    QTRY_COMPARE(model->rowCount(), 2);
    QVERIFY2(refreshed.count() >= 2 && refreshed.count() <= 6,
             qPrintable(QString::number(refreshed.count())));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(downloads().rows().at(0).received, received);
    QTRY_COMPARE(model->index(0, DownloadsModel::ProgressColumn).data(DownloadsModel::PercentRole),
                 QVariant(int(received * 100 / (1024 * 1024))));
}

void tst_DownloadsWindow::clearingKeepsTheSelection()
{
    downloads().add(download(1, State::Finished));
    downloads().add(download(2, State::Running));
    downloads().add(download(3, State::Failed));
    DownloadsWindow *window = openWindow();
    QVERIFY(window);
    window->list()->setCurrentIndex(window->list()->model()->index(1, 0));
    QTest::mouseClick(control<QPushButton>(window, u"cmdClearDownloads"_s), Qt::LeftButton);
    QCOMPARE(window->list()->model()->rowCount(), 1);
    QCOMPARE(window->list()->currentIndex().data().toString(), u"file2.bin"_s);
    QVERIFY(control<QPushButton>(window, u"cmdCancelDownload"_s)->isEnabled());
    QVERIFY(!control<QPushButton>(window, u"cmdClearDownloads"_s)->isEnabled());
}

void tst_DownloadsWindow::leavingAsksWhileDownloadsRun_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("running");
    QTest::addColumn<bool>("quit"); // the answer
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("left");

    const QStringList askedTwo { u"quit 2"_s };
    for (const QString &way : { u"Ctrl+Q"_s, u"Exit"_s, u"close box"_s }) {
        QTest::addRow("%s, none running", qPrintable(way))
            << way << 0 << false << QStringList() << true;
        QTest::addRow("%s, stay", qPrintable(way)) << way << 2 << false << askedTwo << false;
        QTest::addRow("%s, quit", qPrintable(way)) << way << 2 << true << askedTwo << true;
    }
    // The downloads went on without the browser window; they are still the program's.
    QTest::newRow("Exit after the window closed, stay")
        << u"window closed, Exit"_s << 2 << false << askedTwo << false;
}

void tst_DownloadsWindow::leavingAsksWhileDownloadsRun()
{
    QFETCH(QString, way);
    QFETCH(int, running);
    QFETCH(bool, quit);
    QFETCH(QStringList, asked);
    QFETCH(bool, left);

    downloads().add(download(1, State::Finished));
    for (int i = 0; i < running; ++i)
        downloads().add(download(quint32(10 + i), State::Running));
    m_fixture->test.questions->quit = quit;
    frmFrame &frame = *m_fixture->frame;

    if (way == u"Ctrl+Q")
        QTest::keySequence(&frame, QKeySequence(u"Ctrl+Q"_s));
    else if (way == u"Exit")
        frame.mnuFileExit->trigger();
    else if (way == u"close box")
        frame.close();
    else {
        QVERIFY(frame.mdiArea()->activeSubWindow()->close());
        QApplication::processEvents();
        QVERIFY(!frame.webBrowser());
        frame.mnuFileExit->trigger();
    }
    QCOMPARE(m_fixture->test.questions->asked, asked);
    const bool ended = m_fixture->test.app->endCount > 0 || !frame.isVisible();
    QCOMPARE(ended, left);
    QStringList cancelled;
    if (left && running > 0)
        cancelled = QStringList { u"cancel 10"_s, u"cancel 11"_s };
    QCOMPARE(downloads().calls, cancelled);
    QCOMPARE(downloads().running(), left ? 0 : running);
}

KESTRAV_TEST_MAIN(tst_DownloadsWindow)
#include "tst_downloadswindow.moc"
