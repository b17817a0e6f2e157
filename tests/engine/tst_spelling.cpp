#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <memory>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

// Spell checking in a page's text field, with the dictionaries built beside the program.
class tst_Spelling : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void suggestionsReplaceTheMisspelledWord();

private:
    HttpServer m_server;
};

void tst_Spelling::initTestCase()
{
    // The dictionary is read once the program's start page has been shown.
    startPageShown();
    QVERIFY(m_server.listen());
    // One misspelled word at the top left of a focused text area. The en_US dictionary has
    // five suggestions for it, as many as the engine gives.
    m_server.route(QStringLiteral("/field.html"),
                   htmlPage("Field",
                            "<textarea id=\"field\" autofocus spellcheck=\"true\" style=\""
                            "position:absolute;left:0;top:0;width:400px;height:100px;"
                            "font-size:20px\">ther</textarea>"));
}

void tst_Spelling::suggestionsReplaceTheMisspelledWord()
{
    QWidget host;
    WebEngineBrowserControl *control = showInHost(host);
    QAction own(QStringLiteral("Own action"));
    control->tools().SetContextMenuActions({ &own });
    QVERIFY(loadAndWait(*control, m_server.url(QStringLiteral("/field.html"))));
    auto *view = qobject_cast<QWebEngineView *>(control->widget());
    QVERIFY(view);

    // Asked again until the engine has checked the field and knows the word is misspelled.
    QVERIFY(inputUntil(
        *control,
        [](QWidget *surface, int) {
            if (QWidget *menu = QApplication::activePopupWidget())
                menu->close();
            QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(15, 12));
        },
        [view] {
            const QWebEngineContextMenuRequest *request = view->lastContextMenuRequest();
            return request && !request->misspelledWord().isEmpty();
        }));
    const QWebEngineContextMenuRequest *request = view->lastContextMenuRequest();
    QCOMPARE(request->misspelledWord(), QStringLiteral("ther"));
    const QStringList suggestions = request->spellCheckerSuggestions();
    QVERIFY2(suggestions.size() == 5 && suggestions.contains(QStringLiteral("the")),
             qPrintable(suggestions.join(u',')));

    // The menu starts with all five suggestions and ends with the window's own actions.
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
    const QList<QAction *> actions = menu->actions();
    QStringList offered;
    for (QAction *action : actions.mid(0, suggestions.size()))
        offered << action->text();
    QCOMPARE(offered, suggestions);
    QCOMPARE(actions.last(), &own);

    // The last suggestion, which the engine's own menu leaves out, replaces the word too.
    actions.at(4)->trigger();
    menu->close();
    const auto fieldValue = [view] {
        auto value = std::make_shared<QString>();
        view->page()->runJavaScript(
            QStringLiteral("document.getElementById('field').value"),
            [value](const QVariant &result) { *value = result.toString(); });
        return QTest::qWaitFor([value] { return !value->isEmpty(); }, 5'000) ? *value : QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(fieldValue(), suggestions.at(4), 10'000);
}

KESTRAV_TEST_MAIN(tst_Spelling)
#include "tst_spelling.moc"
