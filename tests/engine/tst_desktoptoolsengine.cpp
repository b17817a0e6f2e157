// The desktop tools with the real engine and the desktop's own clipboard, key injection and
// picture writer: the pictures must show the page as the engine drew it.

#include "../window/windowfixture.h"
#include "httpserver.h"
#include "platform/desktop/system/desktopclipboard.h"
#include "platform/desktop/system/desktopkeyboardevents.h"
#include "platform/desktop/system/picturefilewriter.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <QClipboard>
#include <QDirIterator>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeoutMs = 60'000;
const QColor pageColour(10, 160, 70);

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3
        && qAbs(a.blue() - b.blue()) <= 3;
}

// Every file under folder, by its path relative to the folder.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class tst_DesktopToolsEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void captureShowsThePage();
    void printShowsThePage();
    void saveText_data();
    void saveText();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    ScriptedCommonDialog &dialog() { return *m_fixture->test.dialog; }
    QString folder() const { return m_fixture->sandbox.programFolder(); }
    void load(const QString &path, const QString &caption);
    void showSolidPage();

    HttpServer m_server;
    std::unique_ptr<WindowFixture> m_fixture;
    QPointer<WebEngineBrowserControl> m_engine;
    QString m_startFolder;
    std::unique_ptr<QTemporaryDir> m_tree; // holds the working folder, and what lies around it
    int m_pages = 0;
};

void tst_DesktopToolsEngine::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.route(u"/solid.html"_s,
                   htmlPage("Solid",
                            "<style>html, body { margin: 0; height: 100%; background: rgb("
                                + QByteArray::number(pageColour.red()) + ","
                                + QByteArray::number(pageColour.green()) + ","
                                + QByteArray::number(pageColour.blue()) + "); }</style>"));
    m_startFolder = QDir::currentPath();
}

void tst_DesktopToolsEngine::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    Platform &platform = m_fixture->test.platform;
    platform.createWebBrowserControl = [this](QWidget *parent) {
        auto *control = new WebEngineBrowserControl(parent);
        m_engine = control;
        return control;
    };
    platform.clipboard = std::make_shared<DesktopClipboard>();
    platform.keyboard = std::make_shared<DesktopKeyboardEvents>();
    platform.pictureWriter = std::make_shared<PictureFileWriter>();
    m_fixture->start();
    QVERIFY(QTest::qWaitForWindowActive(m_fixture->frame.get()));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), u"Kestrav start page"_s, LoadTimeoutMs);

    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_tree->path()).mkpath(u"work/inner"_s));
    QVERIFY(QDir::setCurrent(m_tree->filePath(u"work/inner"_s)));
}

void tst_DesktopToolsEngine::cleanup()
{
    QDir::setCurrent(m_startFolder);
    m_fixture.reset();
    m_tree.reset();
}

void tst_DesktopToolsEngine::load(const QString &path, const QString &caption)
{
    m_engine->Navigate(m_server.url(path));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), caption, LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
}

// The engine draws its first frame a little after the load has ended.
void tst_DesktopToolsEngine::showSolidPage()
{
    load(u"/solid.html"_s, u"Solid"_s);
    QWidget *view = m_engine->widget();
    QTRY_VERIFY_WITH_TIMEOUT(
        near(view->grab().toImage().pixelColor(view->rect().center()), pageColour), LoadTimeoutMs);
}

void tst_DesktopToolsEngine::captureShowsThePage()
{
    showSolidPage();
    QGuiApplication::clipboard()->setText(u"copied earlier"_s);
    dialog().path = folder() + u"/capture2.png"_s;
    m_fixture->chooseItem(u"mnuCopyCapDeskTop"_s);
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());

    // A picture of the whole active window, in the format its name asks for.
    QCOMPARE(QImageReader::imageFormat(dialog().path), QByteArray("png"));
    const QImage shot(dialog().path, "png");
    frmFrame &frame = *m_fixture->frame;
    QCOMPARE(shot.size(), frame.size() * frame.devicePixelRatio());
    QWidget *view = m_engine->widget();
    const QPoint middle = view->mapTo(&frame, view->rect().center()) * frame.devicePixelRatio();
    QVERIFY2(near(shot.pixelColor(middle), pageColour), qPrintable(shot.pixelColor(middle).name()));
    // The capture leaves the desktop's clipboard empty.
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
}

void tst_DesktopToolsEngine::printShowsThePage()
{
    const QString pdftoppm = QStandardPaths::findExecutable(u"pdftoppm"_s);
    QVERIFY2(!pdftoppm.isEmpty(), "pdftoppm (poppler-utils) is needed to read the printout");
    showSolidPage();
    m_fixture->chooseItem(u"mnuCopyPrintDesktop"_s);
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());

    const QString pdf = dialog().printer.outputFileName();
    const QString prefix = folder() + u"/printed"_s;
    QProcess render;
    render.start(pdftoppm, { u"-r"_s, u"20"_s, u"-png"_s, pdf, prefix });
    QVERIFY(render.waitForFinished(60'000));
    QCOMPARE(render.exitCode(), 0);
    // One page, and a good part of it is the page's colour.
    const QStringList pages = QDir(folder()).entryList({ u"printed*.png"_s });
    QCOMPARE(pages.size(), 1);
    const QImage printed(folder() + u'/' + pages.first());
    QVERIFY(!printed.isNull());
    qsizetype coloured = 0;
    for (int y = 0; y < printed.height(); ++y) {
        for (int x = 0; x < printed.width(); ++x)
            coloured += near(printed.pixelColor(x, y), pageColour);
    }
    const qsizetype all = qsizetype(printed.width()) * printed.height();
    QVERIFY2(coloured * 5 > all, qPrintable(u"%1 of %2 pixels"_s.arg(coloured).arg(all)));
}

void tst_DesktopToolsEngine::saveText_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("written"); // relative to the tree, or "" for nothing at all

    // Which titles make no file name is a unit table of its own; here, what reaches the disk.
    QTest::newRow("plain title") << "Kestrav capture"
                                 << "work/inner/Kestrav capture.txt";
    QTest::newRow("untitled: named by its address") << ""
                                                    << "";
}

void tst_DesktopToolsEngine::saveText()
{
    QFETCH(QString, title);
    QFETCH(QString, written);

    const QString path = u"/page%1.html"_s.arg(++m_pages);
    m_server.route(path, htmlPage(title.toUtf8(), "<p>Words of the page</p>"));
    load(path, title.isEmpty() ? m_server.url(path) : title);
    const QStringList before = filesUnder(m_tree->path());

    m_fixture->chooseItem(u"mnuCopySaveTextFromClip"_s);

    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QStringList expected = before;
    if (!written.isEmpty()) {
        expected.append(written);
        expected.sort();
        QCOMPARE(readAll(m_tree->filePath(written)).trimmed(), QByteArray("Words of the page"));
    }
    QCOMPARE(filesUnder(m_tree->path()), expected);
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList { u"Favorites.txt"_s });
}

KESTRAV_TEST_MAIN(tst_DesktopToolsEngine)
#include "tst_desktoptoolsengine.moc"
