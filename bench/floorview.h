#pragma once

#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

// The floor the benchmarks measure Kestrav against: a bare web view with a persistent profile
// like Kestrav's, kept in the program's data folder. The storage path is set before the page
// is made, as Kestrav sets its own.
struct FloorProfile : QWebEngineProfile
{
    FloorProfile()
        : QWebEngineProfile(QStringLiteral("Floor"))
    {
        setPersistentStoragePath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    }
};

struct FloorView
{
    FloorProfile profile;
    QWebEngineView view;
    QWebEnginePage page { &profile, &view };

    FloorView() { view.setPage(&page); }
};
