#include "platform/desktop/webengine/pagedocument.h"

#include "platform/api/platformerror.h"
#include "platform/api/shownlimits.h"

#include <QCoreApplication>

namespace PageDocument {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PageDocument", text);
}

// Each answer crosses from the page's process in one piece, and is read in one go here.
constexpr qsizetype PieceChars = 1024 * 1024;

} // namespace

QString bodyInnerHTML(const Evaluate &evaluate)
{
    // The serialised body waits in the page's process while it is read piece by piece.
    const QVariantMap answer
        = evaluate(QStringLiteral("(function () {"
                                  "  var body = document.body;"
                                  "  if (!body) return {};"
                                  "  window.kestravSource = body.innerHTML;"
                                  "  return { length: window.kestravSource.length };"
                                  "})()"))
              .toMap();
    if (!answer.contains(QStringLiteral("length")))
        throw PlatformError(ErrorCode::ObjectNotSet, tr("The document has no body."));
    const auto forget = [&] { evaluate(QStringLiteral("delete window.kestravSource")); };
    const qsizetype length = answer.value(QStringLiteral("length")).toLongLong();
    if (length > ShownLimits::MaxTextChars) {
        forget();
        throw PlatformError(ErrorCode::Overflow,
                            tr("The page's HTML has %L1 characters, more than the %L2 that the "
                               "source view shows.")
                                .arg(length)
                                .arg(ShownLimits::MaxTextChars));
    }
    QString html;
    html.reserve(length);
    while (html.size() < length) {
        // A piece never ends between the two halves of a character: each crosses alone.
        const QVariant piece = evaluate(
            QStringLiteral("(function (from, count) {"
                           "  var all = window.kestravSource;"
                           "  if (all === undefined) return null;"
                           "  var end = Math.min(all.length, from + count);"
                           "  var last = all.charCodeAt(end - 1);"
                           "  if (end < all.length && last >= 0xd800 && last <= 0xdbff) --end;"
                           "  return all.substring(from, end);"
                           "})(%1, %2)")
                .arg(html.size())
                .arg(PieceChars));
        // The page went away meanwhile (a navigation): what came so far is no document.
        if (piece.typeId() != QMetaType::QString || piece.toString().isEmpty())
            throw PlatformError(ErrorCode::ObjectNotSet, tr("The document has no body."));
        html += piece.toString();
    }
    forget();
    return html;
}

QStringList linkHrefs(const Evaluate &evaluate)
{
    const QVariant answer
        = evaluate(QStringLiteral("(function () {"
                                  "  var links = document.links, hrefs = [];"
                                  "  for (var i = 0; i < links.length && i < %1; ++i)"
                                  "    hrefs.push(links[i].href);"
                                  "  return hrefs;"
                                  "})()")
                       .arg(MaxLinkHrefs));
    if (answer.typeId() != QMetaType::QVariantList)
        throw PlatformError(ErrorCode::ObjectNotSet, tr("The document has no links collection."));
    return answer.toStringList();
}

} // namespace PageDocument
