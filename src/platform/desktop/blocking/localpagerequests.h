#pragma once

class QWebEnginePage;
class QWebEngineUrlRequestInfo;

// What a page opened from the disk may ask of other files. The engine gives every local
// file one shared origin once local pages may load files at all, so it is here, where every
// request passes, that such a page keeps its pictures, styles, scripts and fonts while a
// script of it reads no file: not by fetch, not through a frame, a worker or an object.
namespace LocalPageRequests {

// Lets the page load the files its own markup names; refused() keeps them from being read.
void openToItsFiles(QWebEnginePage &page);

// Whether the request is a local page's attempt to read a file.
bool refused(const QWebEngineUrlRequestInfo &info);

} // namespace LocalPageRequests
