#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/systemencoding.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLocale>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString noEntry = u"No entry in Favorites List yet"_s;
const QString alreadyListed = u"Favorites List already has this entry"_s;
const QList<int> busyThenDefault { ScreenPointer::Hourglass, ScreenPointer::Default };

QStringList decoded(const QList<QByteArray> &lines)
{
    QStringList texts;
    for (const QByteArray &line : lines)
        texts.append(fromSystemEncoding(line));
    return texts;
}

// The lines of a file in which every line ends with CR LF; a lone LF stays in its line.
QList<QByteArray> crLfLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (qsizetype start = 0, end; (end = bytes.indexOf("\r\n", start)) >= 0; start = end + 2)
        lines.append(bytes.sliced(start, end - start));
    return lines;
}

// n distinct entries in ascending order, each ended by CR LF.
QByteArray numberedEntries(int n)
{
    QByteArray bytes;
    for (int i = 0; i < n; ++i)
        bytes += "http://host" + QByteArray::number(i).rightJustified(5, '0') + ".example/\r\n";
    return bytes;
}

} // namespace

class tst_Favorites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup() { m_fixture.reset(); }

    void activationListsEntries_data();
    void activationListsEntries();
    void editFile_data();
    void editFile();
    void select_data();
    void select();
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
    return itemTexts(m_fixture->cboFavoritesList());
}

void tst_Favorites::activationListsEntries_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QList<QByteArray>>("items");

    QTest::newRow("b, blank, padded a, C")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << QList<QByteArray> { "b", "  a  ", "C" };
    QTest::newRow("only blank lines") << QByteArray("\r\n   \r\n\r") << QList<QByteArray> {};
    QTest::newRow("LF-only lines are one line")
        << QByteArray("x\ny\nz\n") << QList<QByteArray> { "x\ny\nz\n" };
    QTest::newRow("CR alone ends a line, tab is no blank, no final line end")
        << QByteArray("p\rq\r\n\t\r\r\nr") << QList<QByteArray> { "p", "q", "\t", "r" };
}

void tst_Favorites::activationListsEntries()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QList<QByteArray>, items);

    startWith(fileBytes);
    QCOMPARE(listed(), decoded(items));
    QCOMPARE(m_fixture->cboFavoritesList()->currentIndex(), items.isEmpty() ? -1 : 0);
    QCOMPARE(messages().prompts, QStringList());
}

void tst_Favorites::editFile_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QByteArray>("handEdit"); // written behind the window's back after start
    QTest::addColumn<int>("removed"); // the item to delete, or -1 to add the address
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("prompt");

    const auto add = [](const char *name, const QByteArray &file, const QString &address,
                        const QByteArray &written, const QString &prompt = {}) {
        QTest::newRow(name) << file << QByteArray() << -1 << address << written << prompt;
    };
    const auto remove = [](const char *name, const QByteArray &file, int index,
                           const QByteArray &written, const QString &prompt = {}) {
        QTest::newRow(name) << file << QByteArray() << index << u"typed"_s << written << prompt;
    };

    add("add d to b, blank, padded a, C", "b\r\n\r\n  a  \r\nC\r\n", u"d"_s,
        "a\r\nb\r\nC\r\nd\r\n");
    add("add to an empty file", "", u"  http://x.example/  "_s, "http://x.example/\r\n");
    add("duplicate of a padded entry", "  a  \r\nb\r\n", u"a"_s, "  a  \r\nb\r\n", alreadyListed);
    add("duplicate of markup-looking text", "<b>x</b>\r\n{\\rtf1 y}\r\n", u"<b>x</b>"_s,
        "<b>x</b>\r\n{\\rtf1 y}\r\n", alreadyListed);
    add("listed in other letter case", "http://x.example/\r\n", u"HTTP://X.EXAMPLE/"_s,
        "http://x.example/\r\nHTTP://X.EXAMPLE/\r\n");
    add("listed, typed with spaces around", "http://x.example/\r\n", u" http://x.example/ "_s,
        "http://x.example/\r\nhttp://x.example/\r\n");
    add("all-space address still sorts and trims", "b\r\n  \r\n a \r\n", u"    "_s, "a\r\nb\r\n");
    add("empty address on CR-only lines", "b\ra", QString(), "a\r\nb\r\n");
    add("LF-only lines stay one entry", "y\nx\n", u"a"_s, "a\r\ny\nx\n\r\n");
    add("tab is not a space", "b\r\n", u"\ta "_s, "\ta\r\nb\r\n");
    add("markup kept as text", "{\\rtf1\\ansi{\\b bold}}\r\n<html><b>x</b></html>\r\n", u"zz"_s,
        "{\\rtf1\\ansi{\\b bold}}\r\n<html><b>x</b></html>\r\nzz\r\n");
    add("undecodable bytes kept", "y\xfe\r\nx\xff\r\n", u"a"_s, "a\r\nx\xff\r\ny\xfe\r\n");
    // The swap that brings a to the front carries B ahead of b: a stable sort would not, nor
    // would an order that minds letter case.
    add("equal entries in selection-sort order", "b\r\nB\r\na\r\n", u"c"_s, "a\r\nB\r\nb\r\nc\r\n");
    // The added blank line sorts first, and its swap moves A behind a.
    add("blank lines take part in the sort", "A\r\na\r\n", QString(), "a\r\nA\r\n");
    QTest::newRow("add merges a hand edit; the list decides duplicates")
        << QByteArray("y\r\n") << QByteArray("x\r\n") << -1 << u"x"_s << QByteArray("x\r\nx\r\n")
        << QString();
    // QByteArray("") is empty but not null: the file is emptied by hand.
    QTest::newRow("an emptied file skips the duplicate test")
        << QByteArray("x\r\n") << QByteArray("") << -1 << u"x"_s << QByteArray("x\r\n")
        << QString();

    remove("delete first of b, blank, padded a, C", "b\r\n\r\n  a  \r\nC\r\n", 0, "  a  \r\nC\r\n");
    remove("delete keeps untrimmed lines in list order", "z\r\n  b  \r\n\r\na\r\nm \r\n", 2,
           "z\r\n  b  \r\nm \r\n");
    remove("delete the last entry", "\r\n  only  \r\n", 0, "");
    remove("delete on an empty list", "  \r\n\r\n", 0, "  \r\n\r\n", noEntry);
    remove("delete keeps lone LF, ends the last line", "x\ny\r\nw\rlast", 1, "x\ny\r\nlast\r\n");
    remove("delete keeps undecodable bytes", "a\r\nx\xff\r\n\xc3(\r\n", 0, "x\xff\r\n\xc3(\r\n");
    QTest::newRow("delete overwrites a hand edit")
        << QByteArray("a\r\nb\r\n") << QByteArray("z\r\n") << 0 << u"typed"_s << QByteArray("b\r\n")
        << QString();
}

void tst_Favorites::editFile()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QByteArray, handEdit);
    QFETCH(int, removed);
    QFETCH(QString, address);
    QFETCH(QByteArray, written);
    QFETCH(QString, prompt);

    startWith(fileBytes);
    if (!handEdit.isNull())
        QVERIFY(writeAll(path(), handEdit));
    const QStringList before = listed();
    m_fixture->cboFavoritesList()->setCurrentIndex(removed >= 0 ? removed : int(before.size()) - 1);
    const int selected = m_fixture->cboFavoritesList()->currentIndex();
    // A document source shown earlier is lost to the add.
    m_fixture->Text1().setText(u"<p>source</p>"_s);
    m_fixture->cboAddress()->setEditText(address);
    const int focusBefore = m_fixture->browser().focusCount;

    QTest::mouseClick(removed >= 0 ? m_fixture->control<QToolButton>("cmdDeleteFavorite")
                                   : m_fixture->control<QToolButton>("cmdAddFavorite"),
                      Qt::LeftButton);

    const bool done = prompt.isEmpty();
    QCOMPARE(messages().prompts, done ? QStringList() : QStringList { prompt });
    QCOMPARE(readAll(path()), written);
    const QStringList items = done ? decoded(crLfLines(written)) : before;
    QCOMPARE(listed(), items);
    QCOMPARE(m_fixture->cboFavoritesList()->currentIndex(),
             !done ? selected : (items.isEmpty() ? -1 : 0));
    QCOMPARE(m_fixture->browser().focusCount, focusBefore + (done ? 1 : 0));
    QCOMPARE(pointer().history, prompt == noEntry ? QList<int>() : busyThenDefault);
    QCOMPARE(m_fixture->cboAddress()->currentText(), address);
    QCOMPARE(m_fixture->browser().calls, QStringList());
    if (removed < 0) {
        // A refused add leaves the file's text in the working copy, as plain text.
        QCOMPARE(m_fixture->Text1().Text(), done ? QString() : fromSystemEncoding(fileBytes));
    }

    // The file lists the same at the next activation.
    window().Form_Activate();
    QCOMPARE(listed(), items);
}

void tst_Favorites::select_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");

    const QByteArray file("http://b.example/\r\n  http://a.example/  \r\n\thttp://t.example/\r\n");
    QTest::newRow("padded entry stays padded") << file << 1 << u"  http://a.example/  "_s;
    QTest::newRow("tab stays") << file << 2 << u"\thttp://t.example/"_s;
    QTest::newRow("empty list") << QByteArray(" \r\n") << -1 << QString();
}

void tst_Favorites::select()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, index);
    QFETCH(QString, address);

    startWith(fileBytes);
    QApplication::setActiveWindow(m_fixture->frame.get());
    m_fixture->cboAddress()->setEditText(u"http://typed.example/"_s);
    m_fixture->cboFavoritesList()->setCurrentIndex(index);

    QTest::mouseClick(m_fixture->control<QToolButton>("cmdSelectFavorite"), Qt::LeftButton);

    if (index < 0) {
        QCOMPARE(messages().prompts, QStringList { noEntry });
        QCOMPARE(m_fixture->cboAddress()->currentText(), u"http://typed.example/"_s);
    } else {
        QCOMPARE(messages().prompts, QStringList());
        QCOMPARE(m_fixture->cboAddress()->currentText(), address);
        QCOMPARE(QApplication::focusWidget(), m_fixture->cboAddress());
    }
    QCOMPARE(m_fixture->browser().calls, QStringList());
    QCOMPARE(pointer().history, QList<int>());
    QCOMPARE(readAll(path()), fileBytes);
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
    QFrame *links = m_fixture->control<QFrame>("picLinksListContainer");
    QVERIFY(!links->isHidden());
    auto showFavorites = [&] {
        if (fromToolbar) {
            m_fixture->clickButton(u"tbrFavoritesList"_s);
        } else {
            m_fixture->chooseItem(u"mnuFileFavoritesList"_s);
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

    QTest::mouseClick(m_fixture->control<QToolButton>("cmdExitFavoritesList"), Qt::LeftButton);
    QVERIFY(!links->isHidden());
    QCOMPARE(m_fixture->browser().focusCount, focusBefore + 1);
    QTest::mouseClick(m_fixture->control<QToolButton>("cmdExitFavoritesList"), Qt::LeftButton);
    QVERIFY(!links->isHidden());
    QCOMPARE(messages().prompts, QStringList());
}

void tst_Favorites::writeFailureReported_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<bool>("cutOffHalfWay"); // else the program's folder is removed
    QTest::addColumn<QString>("prompt");

    QTest::newRow("add, write cut off half-way") << true << true << u"cmdAddFavorite_Click\r\n75"_s;
    QTest::newRow("delete, write cut off half-way")
        << false << true << u"cmdDeleteFavorite_Click\r\n75"_s;
    QTest::newRow("add, folder removed") << true << false << u"cmdAddFavorite_Click\r\n53"_s;
    QTest::newRow("delete, folder removed") << false << false << u"cmdDeleteFavorite_Click\r\n75"_s;
}

void tst_Favorites::writeFailureReported()
{
    QFETCH(bool, add);
    QFETCH(bool, cutOffHalfWay);
    QFETCH(QString, prompt);

    // Large enough that its rewrite outgrows the file-size limit below.
    const QByteArray fileBytes = numberedEntries(2000);
    const qsizetype sizeLimit = 16 * 1024;
    QVERIFY(fileBytes.size() > 2 * sizeLimit);
    startWith(fileBytes);
    m_fixture->cboAddress()->setEditText(u"http://new.example/"_s);
    const QStringList before = listed();
    const QString folder = QFileInfo(path()).absolutePath();

    if (cutOffHalfWay) {
        if (!withFileSizeLimit(sizeLimit, [&] {
                QTest::mouseClick(add ? m_fixture->control<QToolButton>("cmdAddFavorite")
                                      : m_fixture->control<QToolButton>("cmdDeleteFavorite"),
                                  Qt::LeftButton);
            }))
            QSKIP("needs a POSIX file-size limit");
    } else {
        QVERIFY(QDir(folder).removeRecursively());
        QTest::mouseClick(add ? m_fixture->control<QToolButton>("cmdAddFavorite")
                              : m_fixture->control<QToolButton>("cmdDeleteFavorite"),
                          Qt::LeftButton);
    }

    QCOMPARE(messages().prompts.size(), 1);
    const QString shown = messages().prompts.first();
    QVERIFY2(shown.startsWith(prompt) && shown.contains(QDir::toNativeSeparators(path())),
             qPrintable(shown));
    QCOMPARE(pointer().history.first(), int(ScreenPointer::Hourglass));
    QCOMPARE(pointer().mousePointer(), int(ScreenPointer::Default));
    if (cutOffHalfWay) {
        // The old file is whole, and no partial copy is left beside it.
        QCOMPARE(readAll(path()), fileBytes);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList { u"Favorites.txt"_s });
        if (add)
            QCOMPARE(listed(), before);
    }

    // The window goes on: with the file back, the next add works.
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeAll(path(), QByteArray("x\r\n")));
    messages().prompts.clear();
    QTest::mouseClick(m_fixture->control<QToolButton>("cmdAddFavorite"), Qt::LeftButton);
    QCOMPARE(messages().prompts, QStringList());
    QCOMPARE(readAll(path()), QByteArray("http://new.example/\r\nx\r\n"));
}

void tst_Favorites::bound_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one below the bound, blank lines do not count") << 32766 << true;
    QTest::newRow("at the bound") << 32767 << false;
}

void tst_Favorites::bound()
{
    QFETCH(int, entries);
    QFETCH(bool, accepted);

    const QByteArray fileBytes = numberedEntries(entries) + "\r\n  \r\n";
    startWith(fileBytes);
    QCOMPARE(m_fixture->cboFavoritesList()->count(), entries);
    m_fixture->cboAddress()->setEditText(u"http://zz.example/"_s);

    QTest::mouseClick(m_fixture->control<QToolButton>("cmdAddFavorite"), Qt::LeftButton);

    QCOMPARE(pointer().history, busyThenDefault);
    if (accepted) {
        QCOMPARE(messages().prompts, QStringList());
        QCOMPARE(readAll(path()), numberedEntries(entries) + "http://zz.example/\r\n");
        QCOMPARE(m_fixture->cboFavoritesList()->count(), entries + 1);
    } else {
        QCOMPARE(messages().prompts, QStringList { u"Favorites List is full (32767 entries)"_s });
        QCOMPARE(readAll(path()), fileBytes);
        QCOMPARE(m_fixture->cboFavoritesList()->count(), entries);
    }
}

KESTRAV_TEST_MAIN(tst_Favorites)
#include "tst_favorites.moc"
