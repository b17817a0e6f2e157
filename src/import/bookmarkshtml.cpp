#include "import/bookmarkshtml.h"

#include "import/importlimits.h"
#include "platform/api/atomicfile.h"

#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <QDir>
#include <QFileInfo>

namespace Import {

namespace {

// What the parser's events build: the link being read and its title so far.
struct HtmlReading
{
    htmlParserCtxtPtr context = nullptr;
    BookmarksRead *read = nullptr;
    BookmarkCollector *collector = nullptr;
    bool inLink = false;
    QString href;
    QByteArray title;
    bool tooDeep = false;
    bool full = false;
};

void stop(HtmlReading &reading)
{
    xmlStopParser(reading.context);
}

void finishLink(HtmlReading &reading)
{
    if (!reading.inLink)
        return;
    reading.inLink = false;
    if (!reading.collector->add(reading.href, QString::fromUtf8(reading.title).simplified())) {
        reading.full = true;
        stop(reading);
    }
    reading.title.clear();
}

void startElement(void *data, const xmlChar *name, const xmlChar **attributes)
{
    auto &reading = *static_cast<HtmlReading *>(data);
    // The parser's own stack of open elements: unclosed DL or DT tags pile up there.
    if (reading.context->nameNr > ImportLimits::MaxDepth) {
        reading.tooDeep = true;
        stop(reading);
        return;
    }
    if (std::strcmp(reinterpret_cast<const char *>(name), "a") != 0)
        return;
    finishLink(reading);
    for (const xmlChar **attribute = attributes; attribute && attribute[0]; attribute += 2) {
        if (std::strcmp(reinterpret_cast<const char *>(attribute[0]), "href") == 0) {
            reading.inLink = true;
            reading.href = QString::fromUtf8(reinterpret_cast<const char *>(attribute[1]));
            return;
        }
    }
}

void endElement(void *data, const xmlChar *name)
{
    auto &reading = *static_cast<HtmlReading *>(data);
    if (std::strcmp(reinterpret_cast<const char *>(name), "a") == 0)
        finishLink(reading);
}

void characters(void *data, const xmlChar *text, int length)
{
    auto &reading = *static_cast<HtmlReading *>(data);
    if (reading.inLink && reading.title.size() < ImportLimits::MaxFieldChars)
        reading.title.append(reinterpret_cast<const char *>(text), length);
}

// The parser's complaints about the markup are what it recovers from; nothing to show.
void quiet(void *, const char *, ...) { }

void initialiseOnce()
{
    // libxml2 wants this once before any thread parses.
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    Q_UNUSED(initialised);
}

// Whether a list (a folder) is still open once every byte was given: the file ended before
// the list did.
bool listOpen(htmlParserCtxtPtr context)
{
    for (int i = 0; i < context->nameNr; ++i) {
        if (std::strcmp(reinterpret_cast<const char *>(context->nameTab[i]), "dl") == 0)
            return true;
    }
    return false;
}

} // namespace

BookmarksRead readBookmarksHtml(const QString &path)
{
    BookmarksRead read;
    const QByteArray bytes = readBoundedFile(path, ImportLimits::MaxFileBytes, &read.error);
    if (!read.ok())
        return read;
    return readBookmarksHtml(bytes, QDir::toNativeSeparators(path));
}

BookmarksRead readBookmarksHtml(const QByteArray &bytes, const QString &shownName)
{
    BookmarksRead read;
    // Text holds no NUL bytes; a picture or a program under an .html name does.
    if (bytes.left(64 * 1024).contains('\0')) {
        read.error = Texts::tr("%1 is not an HTML file.").arg(shownName);
        return read;
    }
    initialiseOnce();
    BookmarkCollector collector(read);
    HtmlReading reading;
    reading.read = &read;
    reading.collector = &collector;

    htmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.startElement = startElement;
    handler.endElement = endElement;
    handler.characters = characters;
    handler.warning = quiet;
    handler.error = quiet;
    // Browsers write these files in UTF-8 and say so in a META tag.
    reading.context
        = htmlCreatePushParserCtxt(&handler, &reading, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    if (!reading.context) {
        read.error = Texts::tr("%1 cannot be read: out of memory.").arg(shownName);
        return read;
    }
    htmlCtxtUseOptions(reading.context,
                       HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR
                           | HTML_PARSE_NOWARNING | HTML_PARSE_NOBLANKS);
    // In pieces, so that a stop takes effect soon.
    constexpr qsizetype Piece = 256 * 1024;
    for (qsizetype at = 0; at < bytes.size() && !reading.tooDeep && !reading.full; at += Piece) {
        const qsizetype size = std::min(Piece, bytes.size() - at);
        htmlParseChunk(reading.context, bytes.constData() + at, int(size), 0);
    }
    bool cutShort = false;
    if (!reading.tooDeep && !reading.full) {
        cutShort = listOpen(reading.context);
        htmlParseChunk(reading.context, nullptr, 0, 1);
        finishLink(reading);
    }
    htmlFreeParserCtxt(reading.context);

    if (reading.tooDeep) {
        read = {};
        read.error = Texts::tr("%1 nests its folders more than %2 deep; it is not a bookmarks "
                               "file a browser wrote.")
                         .arg(shownName)
                         .arg(ImportLimits::MaxDepth);
        return read;
    }
    if (read.bookmarks.isEmpty() && read.notWeb == 0) {
        read.error = Texts::tr("%1 holds no bookmarks.").arg(shownName);
        return read;
    }
    if (cutShort)
        read.note = Texts::tr("%1 ends before its last folder does; it may have been cut short.")
                        .arg(shownName);
    return read;
}

namespace {

QByteArray escaped(const QString &text)
{
    // toHtmlEscaped covers < > & and the double quote that would end an attribute.
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray bookmarksHtml(const QStringList &addresses)
{
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n"
                      "<DL><p>\n";
    for (const QString &address : addresses) {
        // A line break inside an attribute survives the parsers, but not every importer.
        QString oneLine = address;
        oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QByteArray text = escaped(oneLine);
        html += "    <DT><A HREF=\"" + text + "\">" + text + "</A>\n";
    }
    html += "</DL><p>\n";
    return html;
}

bool exportFavorites(const QString &path, const QStringList &addresses, QString *error)
{
    const AtomicFile::Outcome outcome
        = AtomicFile::write(path, bookmarksHtml(addresses), AtomicFile::Links::Follow);
    if (outcome.diskFull) {
        *error = AtomicFile::diskFullText(QDir::toNativeSeparators(QFileInfo(path).absolutePath()),
                                          Texts::tr("The favorites were not exported."));
        return false;
    }
    if (!outcome.written()) {
        *error
            = Texts::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), outcome.failure);
        return false;
    }
    error->clear();
    return true;
}

} // namespace Import
