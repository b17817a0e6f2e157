// The user hides an element that the page's menu was opened on: the selector proposed, the
// rule kept and applied; the real engine, against a loopback server.

#include "blockingruns.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>

using namespace Qt::StringLiterals;

class tst_ElementHiding : public QObject, private BlockingRuns
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { prepare("! the user's own list is written beside this one\n"); }
    void cleanup() { stop(); }

    void menuSelectorNamesThePointedElement_data();
    void menuSelectorNamesThePointedElement();
    void hiddenElementStaysHiddenNextRun();

private:
    // The selector proposed for the element at point, as the page's menu opens there.
    QString selectorAt(QPoint point);
};

void tst_ElementHiding::initTestCase()
{
    qRegisterMetaType<const WebBrowserControl *>();
    QVERIFY(m_server.listen());
    const QByteArray box = "style='width:80px;height:80px;float:left;margin:10px'";
    m_server.route(u"/boxes.html"_s,
                   fresh(htmlPage("Boxes",
                                  "<main><div class='box' " + box + ">A</div><div class='box' "
                                      + box + ">B</div><div class='box' " + box
                                      + ">C</div></main><aside><div class='box'>D</div></aside>")));
}

QString tst_ElementHiding::selectorAt(QPoint point)
{
    QMenu *menu = nullptr;
    inputUntil(
        *m_control,
        [point](QWidget *surface, int attempt) {
            QTest::mouseClick(surface, Qt::RightButton, {}, point + QPoint(attempt % 2, 0));
        },
        [&] {
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu != nullptr;
        });
    if (!menu)
        return QString();
    menu->close();
    if (!QTest::qWaitFor([&] { return !m_control->tools().SelectorAtMenuPoint().isEmpty(); },
                         10'000))
        return QString();
    return m_control->tools().SelectorAtMenuPoint();
}

void tst_ElementHiding::menuSelectorNamesThePointedElement_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected"); // "" where any selector of the element will do
    const QByteArray big = "style='display:block;width:300px;height:120px' ";
    QTest::newRow("unique id") << "<p>x</p><div id='only' " + big + "data-pointed>x</div>"
                               << u"#only"_s;
    QTest::newRow("id used twice")
        << "<div id='twin'>x</div><div id='twin' " + big + "data-pointed>x</div>" << QString();
    QTest::newRow("classes shared elsewhere")
        << "<section><span class='a b'>x</span><span class='a b' " + big
            + "data-pointed>x</span></section><span class='a b'>y</span>"
        << QString();
    QTest::newRow("plain nested, under an id")
        << "<div id='top'><div><div>x</div></div><div><div>y</div><div " + big
            + "data-pointed>z</div></div></div>"
        << QString();
}

void tst_ElementHiding::menuSelectorNamesThePointedElement()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const QString path = u"/"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    m_server.route(path, htmlPage("Pointed", "<style>body{margin:0}</style>" + body));
    start();
    QVERIFY(loadAndWait(*m_control, at(u"127.0.0.1"_s, path)));
    const QVariantList box = evaluate(u"(r => [r.x + 20, r.y + 20])(document.querySelector("
                                      "'[data-pointed]').getBoundingClientRect())"_s)
                                 .toList();
    QCOMPARE(box.size(), 2);
    const QString selector = selectorAt(QPoint(box.at(0).toInt(), box.at(1).toInt()));
    QVERIFY(!selector.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(selector, expected);
    const QString selectsIt
        = u"(s => { const found = document.querySelectorAll(s); return "
          "found.length === 1 && found[0].hasAttribute('data-pointed'); })(%1)"_s.arg(
              QString::fromUtf8(
                  QJsonDocument(QJsonArray { selector }).toJson(QJsonDocument::Compact)));
    QVERIFY2(evaluate(selectsIt).toBool(), qPrintable(selector));
}

void tst_ElementHiding::hiddenElementStaysHiddenNextRun()
{
    start();
    const QString page = at(u"127.0.0.1"_s, u"/boxes.html"_s);
    QVERIFY(loadAndWait(*m_control, page));
    const QString boxes = u"Array.from(document.querySelectorAll('.box'), box => "
                          "getComputedStyle(box).display).join()"_s;
    QCOMPARE(evaluate(boxes).toString(), u"block,block,block,block"_s);
    const QString selector = selectorAt(QPoint(145, 40)); // over B
    QVERIFY(!selector.isEmpty());
    const QString mine = listFolder() + u"/mine.txt"_s;

    const std::optional<PlatformError> refused
        = failureOf([&] { m_blocking->hideOnSite(m_control, u"127.0.0.1"_s, u"div.box["_s); });
    QVERIFY(refused && refused->description().contains(u"div.box["_s));
    QVERIFY(!QFileInfo::exists(mine));

    m_blocking->hideOnSite(m_control, u"127.0.0.1"_s, selector);
    QTRY_COMPARE(evaluate(boxes).toString(), u"block,none,block,block"_s);
    QCOMPARE(readAll(mine), u"127.0.0.1##%1\n"_s.arg(selector).toUtf8());
    stop();

    start();
    QVERIFY(loadAndWait(*m_control, page));
    QCOMPARE(evaluate(boxes).toString(), u"block,none,block,block"_s);
}

KESTRAV_TEST_MAIN(tst_ElementHiding)
#include "tst_elementhiding.moc"
