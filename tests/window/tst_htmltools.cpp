#include "richtextarea.h"
#include "screenpointer.h"
#include "systemencoding.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

const QString nothingFetched = u"You have not yet fetched HTML document or HTML document empty"_s;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The words a PDF shows, as a separate text extractor reads them.
QString pdfWords(const QString &path)
{
    QProcess extractor;
    extractor.start(u"pdftotext"_s, { path, u"-"_s });
    if (!extractor.waitForFinished(30000) || extractor.exitCode() != 0)
        return u"<pdftotext failed: %1>"_s.arg(extractor.errorString());
    return QString::fromUtf8(extractor.readAllStandardOutput()).simplified();
}

} // namespace

class tst_HtmlTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void nothingToPrintOrSave_data();
    void nothingToPrintOrSave();
    void printsSelectionOrAll_data();
    void printsSelectionOrAll();
    void cancelEndsQuietly_data();
    void cancelEndsQuietly();
    void saveReplacesTheFile();
    void failureShowsTheErrorBox_data();
    void failureShowsTheErrorBox();
    void failedFetchSaysWhyUntilTheNextCommand();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    ScriptedCommonDialog &dialog() { return *m_fixture->test.dialog; }
    // Fetches a linked document that holds text, as the user would before printing it.
    void showFetched(const QString &text, bool fail = false);
    void choose(const char *item) { window().menuItem(QString::fromLatin1(item))->trigger(); }
    QString pdfPath() { return dialog().printer.outputFileName(); }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_HtmlTools::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

void tst_HtmlTools::showFetched(const QString &text, bool fail)
{
    auto *transfer = static_cast<FakeInternetTransfer *>(window().ctlInet.get());
    transfer->document = text;
    transfer->fail = fail;
    window().cboLinksList->setEditText(u"http://example.test/doc"_s);
    QTest::mouseClick(
        window().WebToolbar->widgetForAction(window().Buttons(u"tbrDisplayLinkHTMLDoc"_s)),
        Qt::LeftButton);
    m_fixture->test.pointer->history.clear();
}

void tst_HtmlTools::nothingToPrintOrSave_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::newRow("print") << QByteArray("mnuLinksPrintHTMLdoc");
    QTest::newRow("save") << QByteArray("mnuLinksSaveHTMLdoc");
}

void tst_HtmlTools::nothingToPrintOrSave()
{
    QFETCH(QByteArray, item);
    showFetched(QString(), true); // a failed fetch leaves the view empty
    dialog().path = m_fixture->sandbox.programFolder() + u"/saved.txt"_s;
    choose(item.constData());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList { nothingFetched });
    QCOMPARE(dialog().shown.size(), 0);
    QVERIFY(!QFile::exists(dialog().path));
}

void tst_HtmlTools::printsSelectionOrAll_data()
{
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("printed");
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines.append(u"line%1"_s.arg(i));
    QTest::newRow("nothing highlighted: every page") << 0 << 0 << lines.join(u' ');
    QTest::newRow("highlighted") << 6 << 17 << u"line2 line3"_s;
}

void tst_HtmlTools::printsSelectionOrAll()
{
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(QString, printed);

    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines.append(u"line%1"_s.arg(i));
    showFetched(lines.join(u"\r\n"_s));
    auto *area = qobject_cast<QPlainTextEdit *>(window().Text1->widget());
    QTextCursor cursor = area->textCursor();
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    area->setTextCursor(cursor);
    // A range left from an earlier dialog does not cut the printout.
    dialog().printer.setPrintRange(QPrinter::PageRange);
    dialog().printer.setFromTo(1, 1);

    choose("mnuLinksPrintHTMLdoc");
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QCOMPARE(dialog().shown.size(), 1);
    QCOMPARE(dialog().shown[0].kind, u"printer"_s);
    QCOMPARE(dialog().shown[0].title, u"Print"_s);
    QVERIFY(dialog().shown[0].cancelError);
    QCOMPARE(dialog().shown[0].flags, 258);
    // The words of the text, each page followed by its number.
    QString words = pdfWords(pdfPath());
    words.remove(QRegularExpression(u" \\d+(?= |$)"_s));
    QCOMPARE(words, printed);
}

void tst_HtmlTools::cancelEndsQuietly_data()
{
    QTest::addColumn<bool>("printFirst"); // which leaves CancelError set
    QTest::addColumn<QByteArray>("item");
    QTest::newRow("print") << false << QByteArray("mnuLinksPrintHTMLdoc");
    QTest::newRow("save, cancel is an error") << true << QByteArray("mnuLinksSaveHTMLdoc");
    QTest::newRow("save, cancel leaves no name") << false << QByteArray("mnuLinksSaveHTMLdoc");
}

void tst_HtmlTools::cancelEndsQuietly()
{
    QFETCH(bool, printFirst);
    QFETCH(QByteArray, item);

    showFetched(u"<html>text</html>"_s);
    if (printFirst) {
        choose("mnuLinksPrintHTMLdoc");
        QVERIFY(QFile::remove(pdfPath()));
    }
    dialog().cancel = true;
    dialog().path = m_fixture->sandbox.programFolder() + u"/saved.txt"_s;
    dialog().FileName = u"left over"_s;
    choose(item.constData());

    QCOMPARE(dialog().shown.last().cancelError, printFirst || item.contains("Print"));
    if (item.contains("Save"))
        QCOMPARE(dialog().shown.last().fileName, QString());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QCOMPARE(QDir(m_fixture->sandbox.programFolder()).entryList(QDir::Files),
             QStringList { u"Favorites.txt"_s });
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);
}

void tst_HtmlTools::saveReplacesTheFile()
{
    const QString path = m_fixture->sandbox.programFolder() + u"/page.txt"_s;
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(QByteArray(10000, 'x'));
    existing.close();
    showFetched(u"<p>Zürich</p>\n<p>two</p>\n"_s);

    // The title left by a print is the dialog's business, not the save's.
    choose("mnuLinksPrintHTMLdoc");
    dialog().path = path;
    choose("mnuLinksSaveHTMLdoc");

    QCOMPARE(readAll(path), toSystemEncoding(u"<p>Zürich</p>\r\n<p>two</p>\r\n"_s));
    QCOMPARE(dialog().shown.last().kind, u"save"_s);
    QCOMPARE(dialog().shown.last().flags, 2);
    QCOMPARE(m_fixture->test.pointer->history,
             (QList<int> { ScreenPointer::Hourglass, ScreenPointer::Default }));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_HtmlTools::failureShowsTheErrorBox_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QString>("promptStart");
    QTest::addColumn<bool>("printerWarns");
    QTest::newRow("save") << QByteArray("mnuLinksSaveHTMLdoc")
                          << u"mnuLinkSaveHTMLDoc_Click\r\n75     "_s << false;
    QTest::newRow("print") << QByteArray("mnuLinksPrintHTMLdoc")
                           << u"mnuLinkPrintHTMLDoc_Click\r\n440     "_s << true;
}

void tst_HtmlTools::failureShowsTheErrorBox()
{
    QFETCH(QByteArray, item);
    QFETCH(QString, promptStart);
    QFETCH(bool, printerWarns);

    showFetched(u"text"_s);
    const QString missing = m_fixture->sandbox.programFolder() + u"/missing/"_s;
    dialog().path = missing + u"saved.txt"_s;
    dialog().printer.setOutputFileName(missing + u"printed.pdf"_s);
    if (printerWarns)
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    choose(item.constData());

    const QStringList prompts = m_fixture->test.messages->prompts;
    QCOMPARE(prompts.size(), 1);
    QVERIFY2(prompts[0].startsWith(promptStart), qPrintable(prompts[0]));
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);
}

void tst_HtmlTools::failedFetchSaysWhyUntilTheNextCommand()
{
    const QLabel *panel = m_fixture->frame->Panel1;
    showFetched(QString(), true);
    QCOMPARE(panel->text(), u"Could not fetch http://example.test/doc: request timed out"_s);
    QCOMPARE(window().Text1->Text(), QString());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QVERIFY(panel->width() >= panel->fontMetrics().horizontalAdvance(panel->text()));

    choose("mnuLinksRestoreWebBrowser");
    QCOMPARE(panel->text(), QString());

    showFetched(QString(), true);
    QVERIFY(!panel->text().isEmpty());
    showFetched(u"arrived"_s);
    QCOMPARE(panel->text(), QString());
}

KESTRAV_TEST_MAIN(tst_HtmlTools)
#include "tst_htmltools.moc"
