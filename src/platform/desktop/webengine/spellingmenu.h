#pragma once

class QMenu;
class QWebEngineContextMenuRequest;
class QWebEnginePage;

// The engine finds up to five spelling suggestions for a misspelled word, but its standard
// context menu offers only the first four: adds the ones it left out after them. Each replaces
// the misspelled word. Nothing to add without a request.
void offerAllSuggestions(QMenu &menu, QWebEnginePage &page,
                         const QWebEngineContextMenuRequest *request);
