#include "windowfixture.h"

#include <QFile>
#include <QRegularExpression>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

const QString noPicture = u"No picture in clipboard yet"_s;

// Pages in a PDF file that QPrinter wrote (its page objects are plain text).
int pdfPageCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(u"/Type\\s*/Page\\b(?!s)"_s);
    return int(QString::fromLatin1(file.readAll()).count(page));
}

} // namespace

class tst_DesktopTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void printDesktop_data();
    void printDesktop();
    void captureSequence();
    void cancelledSaveTouchesNothing_data();
    void cancelledSaveTouchesNothing();
    void pictureFailureReported_data();
    void pictureFailureReported();
    void saveFromClipboard_data();
    void saveFromClipboard();
    void saveText_data();
    void saveText();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    TestPlatform &test() { return m_fixture->test; }
    QString folder() const { return m_fixture->sandbox.programFolder(); }
    // The dialogs shown so far, one line each: kind, title, flags and the name offered.
    QStringList shown() const;

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_DesktopTools::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    m_fixture->browser().calls.clear();
    test().messages->prompts.clear();
    test().journal->clear();
}

QStringList tst_DesktopTools::shown() const
{
    QStringList lines;
    for (const ScriptedCommonDialog::Shown &dialog : m_fixture->test.dialog->shown)
        lines << u"%1 \"%2\" %3 \"%4\""_s.arg(dialog.kind, dialog.title)
                     .arg(dialog.flags)
                     .arg(dialog.fileName);
    return lines;
}

void tst_DesktopTools::printDesktop_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("output"); // the printer's file, under the program folder
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("prompt"); // start of the one message, or "" for none

    QTest::newRow("confirmed") << false << "printed.pdf" << 1 << "";
    QTest::newRow("cancelled") << true << "printed.pdf" << -1 << "";
    QTest::newRow("printer cannot print")
        << false << "missing/printed.pdf" << -1 << "mnuCopyPrintDesktop_Click\r\n482     ";
}

void tst_DesktopTools::printDesktop()
{
    QFETCH(bool, cancel);
    QFETCH(QString, output);
    QFETCH(int, pages);
    QFETCH(QString, prompt);

    ScriptedCommonDialog &dialog = *test().dialog;
    dialog.cancel = cancel;
    dialog.printer.setOutputFileName(folder() + u'/' + output);
    m_fixture->clickButton(u"tbrPrintDesktop"_s);

    QCOMPARE(shown(), QStringList { u"printer \"Print\" 258 \"\""_s });
    QVERIFY(dialog.shown[0].cancelError);
    QCOMPARE(pdfPageCount(dialog.printer.outputFileName()), pages);
    const QStringList prompts = test().messages->prompts;
    QCOMPARE(prompts.size(), prompt.isEmpty() ? 0 : 1);
    if (!prompt.isEmpty())
        QVERIFY2(prompts[0].startsWith(prompt), qPrintable(prompts[0]));
}

void tst_DesktopTools::captureSequence()
{
    ScriptedCommonDialog &dialog = *test().dialog;
    // What the last command left in the shared dialog must not matter.
    dialog.FileName = u"left over"_s;
    dialog.Flags = 258;
    dialog.DialogTitle = u"Print"_s;
    // No extension added: the name is used as chosen.
    dialog.path = folder() + u"/shot"_s;
    test().clipboard->text = u"copied earlier"_s;

    m_fixture->clickButton(u"tbrCapDesktop"_s);

    QCOMPARE(*test().journal,
             QStringList({ u"Clear"_s, u"keybd_event 18,0,0,0"_s, u"DoEvents"_s,
                           u"keybd_event 44,1,0,0"_s, u"DoEvents"_s, u"keybd_event 18,0,2,0"_s,
                           u"DoEvents"_s, u"GetData 0"_s, u"SavePicture "_s + dialog.path,
                           u"Clear"_s }));
    QCOMPARE(test().pictures->saved.size(), 1);
    QCOMPARE(test().pictures->saved[0].picture, test().keyboard->snapshot);
    QCOMPARE(shown(), QStringList { u"save \"Print\" 2 \"\""_s });
    QVERIFY(test().clipboard->picture.isNull());
    QCOMPARE(test().clipboard->text, QString());
    QCOMPARE(test().messages->prompts, QStringList());
}

void tst_DesktopTools::cancelledSaveTouchesNothing_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("cancelError"); // as an earlier command left it

    for (const char *item : { "mnuCopyCapDeskTop", "mnuCopySaveDesktopFromClip" }) {
        QTest::addRow("%s, cancel fails", item) << QString::fromLatin1(item) << true;
        QTest::addRow("%s, cancel returns", item) << QString::fromLatin1(item) << false;
    }
}

void tst_DesktopTools::cancelledSaveTouchesNothing()
{
    QFETCH(QString, item);
    QFETCH(bool, cancelError);

    test().dialog->cancel = true;
    test().dialog->CancelError = cancelError;
    const QImage before = solidPicture(QSize(5, 4), Qt::magenta);
    test().clipboard->picture = before;
    m_fixture->chooseItem(item);

    QCOMPARE(test().dialog->shown.size(), 1);
    QCOMPARE(test().dialog->shown[0].cancelError, cancelError);
    QCOMPARE(*test().journal, QStringList());
    QCOMPARE(test().clipboard->picture, before);
    QCOMPARE(test().messages->prompts, QStringList());
}

void tst_DesktopTools::pictureFailureReported_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("snapshotArrives");
    QTest::addColumn<int>("writeFailure"); // 0: the write succeeds
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<int>("clears");

    QTest::newRow("capture, file not written")
        << "mnuCopyCapDeskTop" << true << 75 << "mnuCopyCapDeskTop_Click\r\n75     disk full" << 1;
    QTest::newRow("capture, no picture arrives")
        << "mnuCopyCapDeskTop" << false << 0
        << "mnuCopyCapDeskTop_Click\r\n461     The clipboard holds no picture." << 1;
    QTest::newRow("from clipboard, file not written")
        << "mnuCopySaveDesktopFromClip" << true << 75
        << "mnuCopySaveDesktopFromClip_Click\r\n75     disk full" << 0;
}

void tst_DesktopTools::pictureFailureReported()
{
    QFETCH(QString, item);
    QFETCH(bool, snapshotArrives);
    QFETCH(int, writeFailure);
    QFETCH(QString, prompt);
    QFETCH(int, clears);

    test().dialog->path = folder() + u"/shot.bmp"_s;
    test().clipboard->picture = solidPicture(QSize(5, 4), Qt::magenta);
    if (!snapshotArrives)
        test().keyboard->snapshot = QImage();
    if (writeFailure)
        test().pictures->failure = std::pair(writeFailure, u"disk full"_s);
    m_fixture->chooseItem(item);

    QCOMPARE(test().messages->prompts, QStringList { prompt });
    // The failure ends the command: the clipboard is not cleared after it.
    QCOMPARE(test().journal->count(u"Clear"_s), clears);
    QVERIFY(test().pictures->saved.isEmpty());
}

void tst_DesktopTools::saveFromClipboard_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::newRow("text, no picture") << QImage();
    QTest::newRow("picture") << solidPicture(QSize(5, 4), Qt::darkGreen);
}

void tst_DesktopTools::saveFromClipboard()
{
    QFETCH(QImage, picture);
    ScriptedCommonDialog &dialog = *test().dialog;
    dialog.FileName = u"left over"_s;
    dialog.path = folder() + u"/desktop"_s;
    test().clipboard->picture = picture;
    test().clipboard->text = u"some text"_s;
    m_fixture->chooseItem(u"mnuCopySaveDesktopFromClip"_s);

    if (picture.isNull()) {
        QCOMPARE(test().messages->prompts, QStringList { noPicture });
        QCOMPARE(shown(), QStringList());
        QCOMPARE(*test().journal, QStringList());
        QCOMPARE(test().clipboard->text, u"some text"_s);
        return;
    }
    QCOMPARE(test().messages->prompts, QStringList());
    QCOMPARE(shown(), QStringList { u"save \"\" 2 \"\""_s });
    QCOMPARE(test().pictures->saved.size(), 1);
    QCOMPARE(test().pictures->saved[0].picture, picture);
    QCOMPARE(test().pictures->saved[0].path, dialog.path);
    QCOMPARE(test().journal->last(), u"Clear"_s);
    QVERIFY(test().clipboard->picture.isNull());
}

void tst_DesktopTools::saveText_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("titled page") << "Kestrav start" << false
                                 << QStringList { "ExecWB:4,2,Kestrav start.txt" };
    QTest::newRow("title that climbs out") << "../x" << false << QStringList();
    QTest::newRow("save fails quietly")
        << "Kestrav start" << true << QStringList { "ExecWB:4,2,Kestrav start.txt" };
    // Run from the program's folder, a title must not name a file the program keeps.
    QTest::newRow("the favorites file") << "Favorites" << false << QStringList();
    QTest::newRow("a link to the favorites file") << "Notes" << false << QStringList();
    QTest::newRow("a link to the settings store") << "Store" << false << QStringList();
    QTest::newRow("another file beside them")
        << "Favorites list" << false << QStringList { "ExecWB:4,2,Favorites list.txt" };
}

void tst_DesktopTools::saveText()
{
    QFETCH(QString, title);
    QFETCH(bool, saveFails);
    QFETCH(QStringList, calls);

    const QDir folder(m_fixture->sandbox.programFolder());
    test().settings->keptFiles = { folder.filePath(u"settings.sqlite"_s) };
    QVERIFY(writeAll(folder.filePath(u"settings.sqlite"_s), "store"));
    QVERIFY(QFile::link(folder.filePath(u"Favorites.txt"_s), folder.filePath(u"Notes.txt"_s)));
    QVERIFY(QFile::link(folder.filePath(u"settings.sqlite"_s), folder.filePath(u"Store.txt"_s)));
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());

    m_fixture->browser().locationName = title;
    m_fixture->browser().failExecWB = saveFails;
    m_fixture->chooseItem(u"mnuCopySaveTextFromClip"_s);
    QDir::setCurrent(before);

    QCOMPARE(m_fixture->browser().calls, calls);
    QCOMPARE(test().messages->prompts, QStringList());
}

KESTRAV_TEST_MAIN(tst_DesktopTools)
#include "tst_desktoptools.moc"
