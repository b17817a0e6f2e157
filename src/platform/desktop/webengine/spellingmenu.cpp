#include "platform/desktop/webengine/spellingmenu.h"

#include <QAction>
#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>

namespace {

constexpr qsizetype MostSuggestions = 5;

} // namespace

void offerAllSuggestions(QMenu &menu, QWebEnginePage &page,
                         const QWebEngineContextMenuRequest *request)
{
    if (!request)
        return;
    const QStringList suggestions = request->spellCheckerSuggestions().mid(0, MostSuggestions);
    // The engine's own suggestions come first, in the engine's order.
    const QList<QAction *> items = menu.actions();
    qsizetype shown = 0;
    while (shown < suggestions.size() && shown < items.size()
           && items.at(shown)->text() == suggestions.at(shown))
        ++shown;
    QAction *before = items.value(shown);
    for (qsizetype i = shown; i < suggestions.size(); ++i) {
        auto *action = new QAction(suggestions.at(i), &menu);
        QObject::connect(action, &QAction::triggered, &page,
                         [&page, word = suggestions.at(i)] { page.replaceMisspelledWord(word); });
        menu.insertAction(before, action);
    }
}
