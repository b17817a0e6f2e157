#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/shownlimits.h"
#include "platform/api/systemencoding.h"
#include "windowfixture.h"

#include <functional>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPageRanges>
#include <QPlainTextEdit>
#include <QProcess>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

const QString nothingFetched = u"You have not yet fetched HTML document or HTML document empty"_s;

// A text of several pages.
QStringList numberedLines()
{
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines.append(u"line%1"_s.arg(i));
    return lines;
}

} // namespace

using Restrict = std::function<void(QPrinter &)>;
Q_DECLARE_METATYPE(Restrict)

class tst_HtmlTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void printsEveryPageOrTheSelection_data();
    void printsEveryPageOrTheSelection();
    void pageRestrictionsLetGo_data();
    void pageRestrictionsLetGo();
    void saveReplacesTheFile();
    void endsWithoutOutput_data();
    void endsWithoutOutput();
    void failedFetchSaysWhyUntilTheNextCommand();
    void tooLargeToShowIsTold_data();
    void tooLargeToShowIsTold();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    ScriptedCommonDialog &dialog() { return *m_fixture->test.dialog; }
    // Fetches a linked document that holds text, as the user would before printing it.
    void showFetched(const QString &text, bool fail = false);
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
    auto *transfer = static_cast<FakeInternetTransfer *>(&m_fixture->ctlInet());
    transfer->document = text;
    transfer->fail = fail;
    m_fixture->cboLinksList()->setEditText(u"http://example.test/doc"_s);
    m_fixture->clickButton(u"tbrDisplayLinkHTMLDoc"_s);
    m_fixture->test.pointer->history.clear();
}

void tst_HtmlTools::printsEveryPageOrTheSelection_data()
{
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("printed");
    QTest::newRow("nothing highlighted: every page") << 0 << 0 << numberedLines().join(u' ');
    QTest::newRow("highlighted") << 6 << 17 << u"line2 line3"_s;
}

void tst_HtmlTools::printsEveryPageOrTheSelection()
{
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(QString, printed);

    showFetched(numberedLines().join(u"\r\n"_s));
    auto *area = qobject_cast<QPlainTextEdit *>(m_fixture->Text1().widget());
    QTextCursor cursor = area->textCursor();
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    area->setTextCursor(cursor);
    // As an earlier printer dialog may leave it; the printout is not cut.
    dialog().printer.setPrintRange(QPrinter::PageRange);
    dialog().printer.setFromTo(1, 1);

    m_fixture->chooseItem(u"mnuLinksPrintHTMLdoc"_s);
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QCOMPARE(dialog().shown.size(), 1);
    QCOMPARE(dialog().shown[0].title, u"Print"_s);
    QVERIFY(dialog().shown[0].cancelError);
    QCOMPARE(dialog().shown[0].flags, 258);
    // Each page ends with its number.
    QCOMPARE(pdfWords(pdfPath()).remove(QRegularExpression(u" \\d+(?= |$)"_s)), printed);
}

void tst_HtmlTools::pageRestrictionsLetGo_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Restrict>("restrict");
    const QList<std::pair<const char *, Restrict>> restrictions {
        { "print range", [](QPrinter &p) { p.setPrintRange(QPrinter::PageRange); } },
        { "from and to", [](QPrinter &p) { p.setFromTo(2, 3); } },
        { "page ranges", [](QPrinter &p) { p.setPageRanges(QPageRanges::fromString(u"2-3"_s)); } },
    };
    for (const char *command : { "mnuLinksPrintHTMLdoc", "mnuCopyPrintDesktop" }) {
        for (const auto &[name, restrict] : restrictions)
            QTest::addRow("%s, %s", command, name) << QString::fromLatin1(command) << restrict;
    }
}

void tst_HtmlTools::pageRestrictionsLetGo()
{
    QFETCH(QString, command);
    QFETCH(Restrict, restrict);
    if (command == u"mnuLinksPrintHTMLdoc")
        showFetched(numberedLines().join(u"\r\n"_s));
    // Chosen in the printer dialog, as a user may.
    dialog().choose = restrict;
    m_fixture->chooseItem(command);

    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QPrinter &printer = dialog().printer;
    QCOMPARE(printer.printRange(), QPrinter::AllPages);
    QCOMPARE(printer.fromPage(), 0);
    QVERIFY(printer.pageRanges().isEmpty());
    if (command == u"mnuLinksPrintHTMLdoc")
        QVERIFY(pdfWords(pdfPath()).startsWith(u"line1"_s));
    else
        QVERIFY(QFileInfo(pdfPath()).size() > 0);
}

void tst_HtmlTools::saveReplacesTheFile()
{
    const QString path = m_fixture->sandbox.programFolder() + u"/page.txt"_s;
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(QByteArray(10000, 'x'));
    existing.close();
    showFetched(u"<p>Zürich</p>\n<p>two</p>\n"_s);
    dialog().path = path;
    m_fixture->chooseItem(u"mnuLinksSaveHTMLdoc"_s);

    QCOMPARE(readAll(path), toSystemEncoding(u"<p>Zürich</p>\r\n<p>two</p>\r\n"_s));
    QCOMPARE(dialog().shown.last().flags, 2);
    QCOMPARE(m_fixture->test.pointer->history,
             (QList<int> { ScreenPointer::Hourglass, ScreenPointer::Default }));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_HtmlTools::endsWithoutOutput_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("printFirst"); // which leaves CancelError set
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("targetMissing");
    QTest::addColumn<QString>("prompt"); // the start of the one prompt shown, if any
    const QByteArray print = "mnuLinksPrintHTMLdoc";
    const QByteArray save = "mnuLinksSaveHTMLdoc";
    QTest::newRow("print, nothing fetched")
        << print << "" << false << false << false << nothingFetched;
    QTest::newRow("save, nothing fetched")
        << save << "" << false << false << false << nothingFetched;
    QTest::newRow("print cancelled") << print << "text" << false << true << false << "";
    QTest::newRow("save cancelled, cancel is an error")
        << save << "text" << true << true << false << "";
    QTest::newRow("save cancelled, no name") << save << "text" << false << true << false << "";
    QTest::newRow("print fails") << print << "text" << false << false << true
                                 << "mnuLinkPrintHTMLDoc_Click\r\n440     ";
    QTest::newRow("save fails") << save << "text" << false << false << true
                                << "mnuLinkSaveHTMLDoc_Click\r\n75     ";
}

void tst_HtmlTools::endsWithoutOutput()
{
    QFETCH(QByteArray, item);
    QFETCH(QString, text);
    QFETCH(bool, printFirst);
    QFETCH(bool, cancel);
    QFETCH(bool, targetMissing);
    QFETCH(QString, prompt);

    showFetched(text);
    if (printFirst) {
        m_fixture->chooseItem(u"mnuLinksPrintHTMLdoc"_s);
        QVERIFY(QFile::remove(pdfPath()));
    }
    const QString folder = m_fixture->sandbox.programFolder();
    dialog().cancel = cancel;
    dialog().FileName = u"left over"_s;
    dialog().path = folder + (targetMissing ? u"/missing/saved.txt"_s : u"/saved.txt"_s);
    if (targetMissing)
        dialog().printer.setOutputFileName(folder + u"/missing/printed.pdf"_s);
    if (targetMissing && item == "mnuLinksPrintHTMLdoc")
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    m_fixture->chooseItem(QString::fromLatin1(item));

    const QStringList prompts = m_fixture->test.messages->prompts;
    QCOMPARE(prompts.size(), prompt.isEmpty() ? 0 : 1);
    if (!prompt.isEmpty())
        QVERIFY2(prompts[0].startsWith(prompt), qPrintable(prompts[0]));
    QCOMPARE(dialog().shown.isEmpty(), text.isEmpty());
    if (item == "mnuLinksSaveHTMLdoc" && !text.isEmpty()) // no stale name to save under
        QCOMPARE(dialog().shown.last().fileName, QString());
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList { u"Favorites.txt"_s });
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);
}

void tst_HtmlTools::failedFetchSaysWhyUntilTheNextCommand()
{
    const QLabel *panel = m_fixture->frame->Panel1;
    showFetched(QString(), true);
    QCOMPARE(panel->text(), u"Could not fetch http://example.test/doc: request timed out"_s);
    QCOMPARE(m_fixture->Text1().Text(), QString());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QVERIFY(panel->width() >= panel->fontMetrics().horizontalAdvance(panel->text()));

    m_fixture->chooseItem(u"mnuLinksRestoreWebBrowser"_s);
    QCOMPARE(panel->text(), QString());
}

void tst_HtmlTools::tooLargeToShowIsTold_data()
{
    QTest::addColumn<bool>("fetched"); // else the page's own HTML
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("told");

    const QString longLine(ShownLimits::MaxLineChars + 1, u'x');
    const QString tooLong = u"The text has a line of more than 524,288 characters"_s;
    QTest::newRow("page, a line too long") << false << longLine << tooLong;
    QTest::newRow("fetched, a line too long") << true << longLine << tooLong;
    QTest::newRow("fetched, too many characters")
        << true << u"<p>x</p>\n"_s.repeated(ShownLimits::MaxTextChars / 9 + 1)
        << u"The text has 16,777,224 characters, more than the 16,777,216"_s;
    QTest::newRow("fetched, shown") << true << u"<p>x</p>"_s << QString();
}

void tst_HtmlTools::tooLargeToShowIsTold()
{
    QFETCH(bool, fetched);
    QFETCH(QString, text);
    QFETCH(QString, told);

    if (fetched) {
        showFetched(text);
    } else {
        m_fixture->browser().complete(u"http://example.test/"_s, u"Example"_s);
        m_fixture->browser().bodyInnerHTML = text;
        m_fixture->chooseItem(u"mnuLinksDisplayCurrHTMLDoc"_s);
    }
    const QString panel = m_fixture->frame->Panel1->text();
    QVERIFY2(told.isEmpty() ? panel.isEmpty() : panel.startsWith(told), qPrintable(panel));
    QCOMPARE(m_fixture->Text1().Text(), told.isEmpty() ? text : QString());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

KESTRAV_TEST_MAIN(tst_HtmlTools)
#include "tst_htmltools.moc"
