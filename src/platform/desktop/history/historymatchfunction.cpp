#include "platform/desktop/history/historymatchfunction.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

namespace HistoryMatch {

namespace {

// Words of ASCII alone are compared on the UTF-8 bytes,
// which needs no conversion of the row's text.
struct MatchWords
{
    QStringList words;
    QList<QByteArray> asciiWords; // lower-case; empty for a word that is not ASCII
};

bool containsAsciiFolded(const char *text, int length, const QByteArray &word)
{
    return QLatin1StringView(text, length).contains(QLatin1StringView(word), Qt::CaseInsensitive);
}

} // namespace

void matchFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    auto *words = static_cast<MatchWords *>(sqlite3_get_auxdata(context, 2));
    if (!words) {
        auto *made = new MatchWords;
        const auto *packed = reinterpret_cast<const char *>(sqlite3_value_text(values[2]));
        made->words = QString::fromUtf8(packed, sqlite3_value_bytes(values[2]))
                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &word : std::as_const(made->words)) {
            bool ascii = true;
            for (const QChar c : word)
                ascii = ascii && c.unicode() < 0x80;
            made->asciiWords.append(ascii ? word.toLatin1() : QByteArray());
        }
        sqlite3_set_auxdata(context, 2, made, [](void *p) { delete static_cast<MatchWords *>(p); });
        words = static_cast<MatchWords *>(sqlite3_get_auxdata(context, 2));
        if (!words) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    const auto *url = reinterpret_cast<const char *>(sqlite3_value_text(values[0]));
    const int urlBytes = sqlite3_value_bytes(values[0]);
    const auto *title = reinterpret_cast<const char *>(sqlite3_value_text(values[1]));
    const int titleBytes = sqlite3_value_bytes(values[1]);
    QString urlText;
    QString titleText;
    bool converted = false;
    for (qsizetype i = 0; i < words->words.size(); ++i) {
        const QByteArray &ascii = words->asciiWords.at(i);
        bool found;
        if (!ascii.isEmpty()) {
            found = (url && containsAsciiFolded(url, urlBytes, ascii))
                || (title && containsAsciiFolded(title, titleBytes, ascii));
        } else {
            if (!converted) {
                urlText = QString::fromUtf8(url, urlBytes);
                titleText = QString::fromUtf8(title, titleBytes);
                converted = true;
            }
            const QString &word = words->words.at(i);
            found = urlText.contains(word, Qt::CaseInsensitive)
                || titleText.contains(word, Qt::CaseInsensitive);
        }
        if (!found) {
            sqlite3_result_int(context, 0);
            return;
        }
    }
    sqlite3_result_int(context, 1);
}

} // namespace HistoryMatch
