#include "richtextarea.h"
#include "screenpointer.h"
#include "systemencoding.h"
#include "windowfixture.h"

#include <functional>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLocale>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString noEntry = u"No entry in Favorites List yet"_s;
const QString alreadyListed = u"Favorites List already has this entry"_s;
const QList<int> busyThenDefault { ScreenPointer::Hourglass, ScreenPointer::Default };

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList decoded(const QList<QByteArray> &lines)
{
    QStringList texts;
    for (const QByteArray &line : lines)
        texts.append(fromSystemEncoding(line));
    return texts;
}

// n distinct entries in ascending order, each ended by CR LF.
QByteArray numberedEntries(int n)
{
    QByteArray bytes;
    for (int i = 0; i < n; ++i)
        bytes += "http://host" + QByteArray::number(i).rightJustified(5, '0') + ".example/\r\n";
    return bytes;
}

enum class Sabotage {
    WriteCutOffHalfWay, // the new content outgrows a file-size limit, as on a full disk
    FileBecomesFolder,
    FolderRemoved,
};

} // namespace

Q_DECLARE_METATYPE(Sabotage)

class tst_Favorites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup() { m_fixture.reset(); }

    void activationListsEntries_data();
    void activationListsEntries();
    void add_data();
    void add();
    void duplicateRefused_data();
    void duplicateRefused();
    void select_data();
    void select();
    void emptyListAnswers_data();
    void emptyListAnswers();
    void remove_data();
    void remove();
    void deleteLastEntryThenAgain();
    void stripStates_data();
    void stripStates();
    void writeFailureReported_data();
    void writeFailureReported();
    void bound_data();
    void bound();

private:
    // Starts the program with the favorites file holding fileBytes.
    void startWith(const QByteArray &fileBytes);
    frmWebBrowser &window() const { return m_fixture->window(); }
    QString path() const { return m_fixture->favoritesPath(); }
    QStringList listed() const;
    RecordingMessageBox &messages() const { return *m_fixture->test.messages; }
    RecordingScreenPointer &pointer() const { return *m_fixture->test.pointer; }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_Favorites::initTestCase()
{
    // Expected orders below are written for an English collation.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_Favorites::startWith(const QByteArray &fileBytes)
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(writeAll(m_fixture->favoritesPath(), fileBytes));
    m_fixture->start();
    QCOMPARE(readAll(path()), fileBytes);
    messages().prompts.clear();
    pointer().history.clear();
    m_fixture->browser().calls.clear();
}

QStringList tst_Favorites::listed() const
{
    QStringList items;
    for (int i = 0; i < window().cboFavoritesList->count(); ++i)
        items.append(window().cboFavoritesList->itemText(i));
    return items;
}

void tst_Favorites::activationListsEntries_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QList<QByteArray>>("items");

    QTest::newRow("b, blank, padded a, C")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << QList<QByteArray> { "b", "  a  ", "C" };
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray> {};
    QTest::newRow("only blank lines") << QByteArray("\r\n   \r\n\r") << QList<QByteArray> {};
    QTest::newRow("LF-only lines are one line")
        << QByteArray("x\ny\nz\n") << QList<QByteArray> { "x\ny\nz\n" };
    QTest::newRow("CR alone ends a line, no final line end")
        << QByteArray("p\rq\r\nr") << QList<QByteArray> { "p", "q", "r" };
    QTest::newRow("markup-looking text")
        << QByteArray("{\\rtf1\\ansi{\\b bold}}\r\n<b>x</b>\r\n")
        << QList<QByteArray> { "{\\rtf1\\ansi{\\b bold}}", "<b>x</b>" };
}

void tst_Favorites::activationListsEntries()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QList<QByteArray>, items);

    startWith(fileBytes);
    QCOMPARE(listed(), decoded(items));
    QCOMPARE(window().cboFavoritesList->currentIndex(), items.isEmpty() ? -1 : 0);
    QCOMPARE(messages().prompts, QStringList());
}

void tst_Favorites::add_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QList<QByteArray>>("items");

    QTest::newRow("d to b, blank, padded a, C")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << u"d"_s << QByteArray("a\r\nb\r\nC\r\nd\r\n")
        << QList<QByteArray> { "a", "b", "C", "d" };
    QTest::newRow("empty file, padded address")
        << QByteArray() << u"  http://x.example/  "_s << QByteArray("http://x.example/\r\n")
        << QList<QByteArray> { "http://x.example/" };
    QTest::newRow("listed in other case")
        << QByteArray("http://x.example/\r\n") << u"HTTP://X.EXAMPLE/"_s
        << QByteArray("http://x.example/\r\nHTTP://X.EXAMPLE/\r\n")
        << QList<QByteArray> { "http://x.example/", "HTTP://X.EXAMPLE/" };
    QTest::newRow("listed, typed with a leading space")
        << QByteArray("http://x.example/\r\n") << u" http://x.example/"_s
        << QByteArray("http://x.example/\r\nhttp://x.example/\r\n")
        << QList<QByteArray> { "http://x.example/", "http://x.example/" };
    QTest::newRow("listed, typed with a trailing space")
        << QByteArray("http://x.example/\r\n") << u"http://x.example/ "_s
        << QByteArray("http://x.example/\r\nhttp://x.example/\r\n")
        << QList<QByteArray> { "http://x.example/", "http://x.example/" };
    QTest::newRow("all-space address still sorts and trims")
        << QByteArray("b\r\n  \r\n a \r\n") << u"    "_s << QByteArray("a\r\nb\r\n")
        << QList<QByteArray> { "a", "b" };
    QTest::newRow("empty address still sorts")
        << QByteArray("b\ra") << QString() << QByteArray("a\r\nb\r\n")
        << QList<QByteArray> { "a", "b" };
    QTest::newRow("empty address, empty file")
        << QByteArray() << QString() << QByteArray() << QList<QByteArray> {};
    QTest::newRow("LF-only lines stay one entry")
        << QByteArray("y\nx\n") << u"a"_s << QByteArray("a\r\ny\nx\n\r\n")
        << QList<QByteArray> { "a", "y\nx\n" };
    QTest::newRow("tab is not a space")
        << QByteArray("b\r\n") << u"\ta"_s << QByteArray("\ta\r\nb\r\n")
        << QList<QByteArray> { "\ta", "b" };
    QTest::newRow("markup: rich-text header kept")
        << QByteArray("{\\rtf1\\ansi{\\b bold}}\r\n") << u"zz"_s
        << QByteArray("{\\rtf1\\ansi{\\b bold}}\r\nzz\r\n")
        << QList<QByteArray> { "{\\rtf1\\ansi{\\b bold}}", "zz" };
    QTest::newRow("markup: HTML kept") << QByteArray("<html><b>x</b></html>\r\n") << u"zz"_s
                                       << QByteArray("<html><b>x</b></html>\r\nzz\r\n")
                                       << QList<QByteArray> { "<html><b>x</b></html>", "zz" };
    QTest::newRow("undecodable bytes kept")
        << QByteArray("y\xfe\r\nx\xff\r\n") << u"a"_s << QByteArray("a\r\nx\xff\r\ny\xfe\r\n")
        << QList<QByteArray> { "a", "x\xff", "y\xfe" };
}

void tst_Favorites::add()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, address);
    QFETCH(QByteArray, written);
    QFETCH(QList<QByteArray>, items);

    startWith(fileBytes);
    window().mnuFileFavoritesList_Click();
    // A document source shown earlier is lost to the add.
    window().Text1->setText(u"<p>source</p>"_s);
    window().cboAddress->setEditText(address);
    const int focusBefore = m_fixture->browser().focusCount;

    QTest::mouseClick(window().cmdAddFavorite, Qt::LeftButton);

    QCOMPARE(messages().prompts, QStringList());
    QCOMPARE(readAll(path()), written);
    QCOMPARE(listed(), decoded(items));
    QCOMPARE(window().cboFavoritesList->currentIndex(), items.isEmpty() ? -1 : 0);
    QCOMPARE(window().Text1->Text(), QString());
    QCOMPARE(m_fixture->browser().focusCount, focusBefore + 1);
    QCOMPARE(pointer().history, busyThenDefault);
    QCOMPARE(m_fixture->browser().calls, QStringList());
}

void tst_Favorites::duplicateRefused_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("address");

    QTest::newRow("exact") << QByteArray("a\r\nb\r\nc\r\n") << u"b"_s;
    QTest::newRow("listed with spaces around") << QByteArray("  a  \r\nb\r\n") << u"a"_s;
    QTest::newRow("hand-edited, unsorted, blank lines") << QByteArray("z\r\n\r\nm\r\n") << u"m"_s;
    QTest::newRow("markup") << QByteArray("<b>x</b>\r\n{\\rtf1 y}\r\n") << u"<b>x</b>"_s;
}

void tst_Favorites::duplicateRefused()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, address);

    startWith(fileBytes);
    const QStringList before = listed();
    const int lastItem = int(before.size()) - 1;
    window().cboFavoritesList->setCurrentIndex(lastItem);
    window().cboAddress->setEditText(address);
    const int focusBefore = m_fixture->browser().focusCount;

    QTest::mouseClick(window().cmdAddFavorite, Qt::LeftButton);

    QCOMPARE(messages().prompts, QStringList { alreadyListed });
    QCOMPARE(readAll(path()), fileBytes);
    QCOMPARE(listed(), before);
    QCOMPARE(window().cboFavoritesList->currentIndex(), lastItem);
    // The working copy keeps the file's text as plain text.
    QCOMPARE(window().Text1->Text(), fromSystemEncoding(fileBytes));
    QCOMPARE(window().cboAddress->currentText(), address);
    QCOMPARE(m_fixture->browser().focusCount, focusBefore);
    QCOMPARE(pointer().history, busyThenDefault);
}

void tst_Favorites::select_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");

    const QByteArray file("http://b.example/\r\n  http://a.example/  \r\n\thttp://t.example/\r\n");
    QTest::newRow("first, as selected at load") << file << 0 << u"http://b.example/"_s;
    QTest::newRow("padded entry stays padded") << file << 1 << u"  http://a.example/  "_s;
    QTest::newRow("tab stays") << file << 2 << u"\thttp://t.example/"_s;
}

void tst_Favorites::select()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, index);
    QFETCH(QString, address);

    startWith(fileBytes);
    QApplication::setActiveWindow(m_fixture->frame.get());
    window().cboAddress->setEditText(u"http://typed.example/"_s);
    window().cboFavoritesList->setCurrentIndex(index);

    QTest::mouseClick(window().cmdSelectFavorite, Qt::LeftButton);

    QCOMPARE(window().cboAddress->currentText(), address);
    QCOMPARE(QApplication::focusWidget(), window().cboAddress);
    QCOMPARE(m_fixture->browser().calls, QStringList());
    QCOMPARE(messages().prompts, QStringList());
    QCOMPARE(readAll(path()), fileBytes);
}

void tst_Favorites::emptyListAnswers_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("select") << u"cmdSelectFavorite"_s;
    QTest::newRow("delete") << u"cmdDeleteFavorite"_s;
}

void tst_Favorites::emptyListAnswers()
{
    QFETCH(QString, button);

    startWith(QByteArray("  \r\n\r\n"));
    window().cboAddress->setEditText(u"http://typed.example/"_s);
    QToolButton *clicked = window().findChild<QToolButton *>(button);
    QVERIFY(clicked);

    QTest::mouseClick(clicked, Qt::LeftButton);

    QCOMPARE(messages().prompts, QStringList { noEntry });
    QCOMPARE(pointer().history, QList<int>());
    QCOMPARE(readAll(path()), QByteArray("  \r\n\r\n"));
    QCOMPARE(window().cboAddress->currentText(), u"http://typed.example/"_s);
    QCOMPARE(m_fixture->browser().calls, QStringList());
}

void tst_Favorites::remove_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("first of the example")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << 0 << QByteArray("  a  \r\nC\r\n");
    QTest::newRow("untrimmed, unsorted, in list order")
        << QByteArray("z\r\n  b  \r\n\r\na\r\nm \r\n") << 2 << QByteArray("z\r\n  b  \r\nm \r\n");
    QTest::newRow("lone LF stays in its line")
        << QByteArray("q\r\nx\ny\n") << 0 << QByteArray("x\ny\n\r\n");
    QTest::newRow("last line without line end")
        << QByteArray("q\r\nw\rlast") << 1 << QByteArray("q\r\nlast\r\n");
    QTest::newRow("undecodable bytes kept")
        << QByteArray("a\r\nx\xff\r\n\xc3(\r\n") << 0 << QByteArray("x\xff\r\n\xc3(\r\n");
    QTest::newRow("markup kept") << QByteArray("<b>x</b>\r\n{\\rtf1 y}\r\nz\r\n") << 2
                                 << QByteArray("<b>x</b>\r\n{\\rtf1 y}\r\n");
}

void tst_Favorites::remove()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, index);
    QFETCH(QByteArray, written);

    startWith(fileBytes);
    QStringList expected = listed();
    expected.removeAt(index);
    window().cboFavoritesList->setCurrentIndex(index);
    const int focusBefore = m_fixture->browser().focusCount;

    QTest::mouseClick(window().cmdDeleteFavorite, Qt::LeftButton);

    QCOMPARE(messages().prompts, QStringList());
    QCOMPARE(readAll(path()), written);
    QCOMPARE(listed(), expected);
    QCOMPARE(window().cboFavoritesList->currentIndex(), 0);
    QCOMPARE(m_fixture->browser().focusCount, focusBefore + 1);
    QCOMPARE(pointer().history, busyThenDefault);

    // The rewritten file lists the same at the next activation.
    window().Form_Activate();
    QCOMPARE(listed(), expected);
}

void tst_Favorites::deleteLastEntryThenAgain()
{
    startWith(QByteArray("\r\n  only  \r\n"));

    QTest::mouseClick(window().cmdDeleteFavorite, Qt::LeftButton);
    QCOMPARE(readAll(path()), QByteArray());
    QCOMPARE(window().cboFavoritesList->count(), 0);
    QCOMPARE(window().cboFavoritesList->currentIndex(), -1);
    QCOMPARE(pointer().history, busyThenDefault);
    QCOMPARE(messages().prompts, QStringList());

    QTest::mouseClick(window().cmdDeleteFavorite, Qt::LeftButton);
    QCOMPARE(messages().prompts, QStringList { noEntry });
    QCOMPARE(pointer().history, busyThenDefault);
    QCOMPARE(readAll(path()), QByteArray());
}

void tst_Favorites::stripStates_data()
{
    QTest::addColumn<bool>("fromToolbar");
    QTest::newRow("File menu") << false;
    QTest::newRow("toolbar button") << true;
}

void tst_Favorites::stripStates()
{
    QFETCH(bool, fromToolbar);

    startWith(QByteArray("one\r\n"));
    QFrame *links = window().picLinksListContainer;
    QVERIFY(!links->isHidden());
    auto showFavorites = [&] {
        if (fromToolbar) {
            QTest::mouseClick(
                window().WebToolbar->widgetForAction(window().Buttons(u"tbrFavoritesList"_s)),
                Qt::LeftButton);
        } else {
            window().menuItem(u"mnuFileFavoritesList"_s)->trigger();
        }
    };

    // Showing the favorites neither reloads the list nor moves the focus.
    QVERIFY(writeAll(path(), QByteArray("one\r\ntwo\r\n")));
    const int focusBefore = m_fixture->browser().focusCount;
    showFavorites();
    QVERIFY(links->isHidden());
    QCOMPARE(listed(), QStringList { u"one"_s });
    QCOMPARE(m_fixture->browser().focusCount, focusBefore);
    showFavorites();
    QVERIFY(links->isHidden());

    QTest::mouseClick(window().cmdExitFavoritesList, Qt::LeftButton);
    QVERIFY(!links->isHidden());
    QCOMPARE(m_fixture->browser().focusCount, focusBefore + 1);
    QTest::mouseClick(window().cmdExitFavoritesList, Qt::LeftButton);
    QVERIFY(!links->isHidden());
    QCOMPARE(messages().prompts, QStringList());
}

void tst_Favorites::writeFailureReported_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Sabotage>("sabotage");
    QTest::addColumn<QString>("prompt");

    QTest::newRow("add, write cut off half-way")
        << u"cmdAddFavorite"_s << Sabotage::WriteCutOffHalfWay << u"cmdAddFavorite_Click\r\n75"_s;
    QTest::newRow("add, file became a folder")
        << u"cmdAddFavorite"_s << Sabotage::FileBecomesFolder << u"cmdAddFavorite_Click\r\n75"_s;
    QTest::newRow("add, folder removed")
        << u"cmdAddFavorite"_s << Sabotage::FolderRemoved << u"cmdAddFavorite_Click\r\n53"_s;
    QTest::newRow("delete, file became a folder")
        << u"cmdDeleteFavorite"_s << Sabotage::FileBecomesFolder
        << u"cmdDeleteFavorite_Click\r\n75"_s;
    QTest::newRow("delete, folder removed")
        << u"cmdDeleteFavorite"_s << Sabotage::FolderRemoved << u"cmdDeleteFavorite_Click\r\n75"_s;
}

void tst_Favorites::writeFailureReported()
{
    QFETCH(QString, button);
    QFETCH(Sabotage, sabotage);
    QFETCH(QString, prompt);

    // Large enough that its rewrite outgrows the file-size limit below.
    const QByteArray fileBytes = numberedEntries(2000);
    const qsizetype sizeLimit = 16 * 1024;
    QVERIFY(fileBytes.size() > 2 * sizeLimit);
    startWith(fileBytes);
    window().mnuFileFavoritesList_Click();
    window().cboAddress->setEditText(u"http://new.example/"_s);
    const QStringList before = listed();
    QToolButton *clicked = window().findChild<QToolButton *>(button);
    QVERIFY(clicked);
    const QString folder = QFileInfo(path()).absolutePath();

    std::function<void()> undo;
    auto restore = qScopeGuard([&] {
        if (undo)
            undo();
    });
    switch (sabotage) {
    case Sabotage::WriteCutOffHalfWay: {
#ifdef Q_OS_UNIX
        // The limit stops writes part-way even for root; its signal would end the process.
        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        undo = [saved, oldHandler] {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        };
        rlimit limited = saved;
        limited.rlim_cur = sizeLimit;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
#else
        QSKIP("needs a POSIX file-size limit");
#endif
        break;
    }
    case Sabotage::FileBecomesFolder:
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir().mkdir(path()));
        break;
    case Sabotage::FolderRemoved:
        QVERIFY(QDir(folder).removeRecursively());
        break;
    }

    QTest::mouseClick(clicked, Qt::LeftButton);
    restore.dismiss();
    if (undo)
        undo();

    QCOMPARE(messages().prompts.size(), 1);
    QVERIFY2(messages().prompts.first().startsWith(prompt), qPrintable(messages().prompts.first()));
    QCOMPARE(pointer().history.first(), int(ScreenPointer::Hourglass));
    QCOMPARE(pointer().mousePointer(), int(ScreenPointer::Default));
    if (sabotage == Sabotage::WriteCutOffHalfWay) {
        QCOMPARE(readAll(path()), fileBytes);
        QCOMPARE(listed(), before);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList { u"Favorites.txt"_s });
    }

    // The window goes on: with the file back, the next add works.
    if (sabotage == Sabotage::FileBecomesFolder)
        QVERIFY(QDir().rmdir(path()));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeAll(path(), QByteArray("x\r\n")));
    messages().prompts.clear();
    QTest::mouseClick(window().cmdAddFavorite, Qt::LeftButton);
    QCOMPARE(messages().prompts, QStringList());
    QCOMPARE(readAll(path()), QByteArray("http://new.example/\r\nx\r\n"));
}

void tst_Favorites::bound_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one below the bound") << 32766 << true;
    QTest::newRow("at the bound") << 32767 << false;
}

void tst_Favorites::bound()
{
    QFETCH(int, entries);
    QFETCH(bool, accepted);

    const QByteArray fileBytes = numberedEntries(entries);
    startWith(fileBytes);
    QCOMPARE(window().cboFavoritesList->count(), entries);
    window().cboAddress->setEditText(u"http://zz.example/"_s);

    QTest::mouseClick(window().cmdAddFavorite, Qt::LeftButton);

    QCOMPARE(pointer().history, busyThenDefault);
    if (accepted) {
        QCOMPARE(messages().prompts, QStringList());
        QCOMPARE(readAll(path()), fileBytes + "http://zz.example/\r\n");
        QCOMPARE(window().cboFavoritesList->count(), entries + 1);
    } else {
        QCOMPARE(messages().prompts, QStringList { u"Favorites List is full (32767 entries)"_s });
        QCOMPARE(readAll(path()), fileBytes);
        QCOMPARE(window().cboFavoritesList->count(), entries);
    }
}

QTEST_MAIN(tst_Favorites)
#include "tst_favorites.moc"
