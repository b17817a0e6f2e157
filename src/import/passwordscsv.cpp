#include "import/passwordscsv.h"

#include "import/bookmarks.h"
#include "import/importlimits.h"
#include "signins/signinrules.h"

#include <QDir>
#include <QSet>
#include <QUrl>

namespace Import {

namespace {

// Splits RFC 4180 text into records of fields, one record at a time.
class CsvRecords
{
public:
    explicit CsvRecords(const QString &text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    int line() const { return m_line; }
    int recordLine() const { return m_recordLine; }

    // The next record; false when a quoted field is never closed.
    bool next(QStringList &fields)
    {
        fields.clear();
        m_recordLine = m_line;
        QString field;
        bool quoted = false;
        bool wasQuoted = false;
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_at < m_text.size() && m_text.at(m_at) == QLatin1Char('"')) {
                        field += c;
                        ++m_at;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    appendCapped(field, c);
                }
                continue;
            }
            if (c == QLatin1Char('"') && !wasQuoted && field.isEmpty()) {
                quoted = wasQuoted = true;
            } else if (c == QLatin1Char(',')) {
                fields.append(field);
                field.clear();
                wasQuoted = false;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (c == QLatin1Char('\r') && m_at < m_text.size()
                    && m_text.at(m_at) == QLatin1Char('\n'))
                    ++m_at;
                ++m_line;
                break;
            } else {
                // Text after a closing quote is kept as it stands, as spreadsheets do.
                appendCapped(field, c);
            }
        }
        if (quoted)
            return false;
        fields.append(field);
        return true;
    }

private:
    static void appendCapped(QString &field, QChar c)
    {
        if (field.size() < ImportLimits::MaxFieldChars)
            field += c;
    }

    const QString &m_text;
    qsizetype m_at = 0;
    int m_line = 1;
    int m_recordLine = 1;
};

bool isBlankRecord(const QStringList &fields)
{
    return fields.size() == 1 && fields.first().trimmed().isEmpty();
}

} // namespace

PasswordsRead readPasswordsCsv(const QString &path)
{
    PasswordsRead read;
    const QByteArray bytes = readBoundedFile(path, ImportLimits::MaxFileBytes, &read.error);
    if (!read.ok())
        return read;
    return readPasswordsCsv(bytes, QDir::toNativeSeparators(path));
}

PasswordsRead readPasswordsCsv(const QByteArray &bytes, const QString &shownName)
{
    PasswordsRead read;
    if (bytes.contains('\0')) {
        read.error = Texts::tr("%1 is not a text file.").arg(shownName);
        return read;
    }
    QString text = QString::fromUtf8(bytes);
    // Spreadsheets save UTF-8 with a byte order mark.
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    CsvRecords records(text);
    QStringList header;
    while (!records.atEnd() && (header.isEmpty() || isBlankRecord(header))) {
        if (!records.next(header)) {
            read.error = Texts::tr("%1: a quote opened on line %2 is never closed.")
                             .arg(shownName)
                             .arg(records.recordLine());
            return read;
        }
    }
    for (QString &name : header)
        name = name.trimmed().toLower();
    const qsizetype urlColumn = header.indexOf(QLatin1String("url"));
    const qsizetype userColumn = header.indexOf(QLatin1String("username"));
    const qsizetype passwordColumn = header.indexOf(QLatin1String("password"));
    QStringList missing;
    for (const auto &[column, name] :
         { std::pair { urlColumn, "url" }, std::pair { userColumn, "username" },
           std::pair { passwordColumn, "password" } }) {
        if (column < 0)
            missing.append(QLatin1String(name));
    }
    if (!missing.isEmpty()) {
        read.error = Texts::tr("%1 is not a passwords file: its first line names no %2 column.")
                         .arg(shownName, missing.join(QLatin1String(", ")));
        return read;
    }
    const qsizetype needed = std::max({ urlColumn, userColumn, passwordColumn }) + 1;

    QSet<QString> seen;
    QStringList fields;
    while (!records.atEnd()) {
        if (!records.next(fields)) {
            read = {};
            read.error = Texts::tr("%1: a quote opened on line %2 is never closed.")
                             .arg(shownName)
                             .arg(records.recordLine());
            return read;
        }
        if (isBlankRecord(fields))
            continue;
        if (read.rows.size() + read.notWeb + read.repeated + read.damaged >= ImportLimits::MaxItems)
            break;
        if (fields.size() < needed || fields.at(passwordColumn).isEmpty()) {
            ++read.damaged;
            continue;
        }
        const QString url = fields.at(urlColumn).trimmed();
        if (!isWebAddress(url)) {
            ++read.notWeb;
            continue;
        }
        PasswordRow row { SignInRules::originOf(QUrl(url)), fields.at(userColumn),
                          fields.at(passwordColumn) };
        const QString key = row.origin + QLatin1Char('\t') + row.userName;
        if (seen.contains(key)) {
            ++read.repeated;
            continue;
        }
        seen.insert(key);
        read.rows.append(std::move(row));
    }
    return read;
}

} // namespace Import
