#pragma once

#include <functional>
#include <QStringList>
#include <QVariant>

// The page's document as the window reads it, in bounded steps: a page of hundreds of
// megabytes or a million links never arrives in this process whole.
namespace PageDocument {

// Link lists read no further than this; the window lists far fewer.
inline constexpr qsizetype MaxLinkHrefs = 10'000;

// Runs a script in the page, out of the page's own scripts' reach, and waits for its answer.
using Evaluate = std::function<QVariant(const QString &script)>;

// The body's HTML. Its length is asked first: a body longer than the source view shows
// fails with PlatformError (overflow); a shorter one comes in pieces. Fails with
// PlatformError (object not set) when the document has no body.
QString bodyInnerHTML(const Evaluate &evaluate);
// The first MaxLinkHrefs links' addresses, in document order, relative ones resolved.
QStringList linkHrefs(const Evaluate &evaluate);

} // namespace PageDocument
