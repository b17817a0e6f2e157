#pragma once

#include "platform/api/startupphase.h"

#include <cstdio>
#include <QWebEnginePage>
#include <QWidget>

// How the start-up floors tell the benchmark that the start page is shown, as Kestrav tells
// it: the page's title becomes the caption of the given widget once the page has loaded, with
// the caption and "page loaded" marks, and "loaded" (or "failed") on standard output.
inline void reportStartPageIn(QWidget &captioned, QWebEnginePage &page)
{
    QObject::connect(&captioned, &QWidget::windowTitleChanged, &captioned, &markStartupCaption);
    QObject::connect(&page, &QWebEnginePage::loadFinished, &captioned,
                     [&captioned, &page](bool ok) {
                         captioned.setWindowTitle(page.title());
                         markStartupPhase("page loaded");
                         startPageShown();
                         std::puts(ok ? "loaded" : "failed");
                         std::fflush(stdout);
                     });
}
