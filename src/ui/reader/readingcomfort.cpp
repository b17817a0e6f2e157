#include "ui/reader/readingcomfort.h"

#include "platform/api/pagereader.h"
#include "platform/api/platform.h"
#include "platform/api/settingsstore.h"
#include "reader/darkpages.h"
#include "reader/readerrules.h"
#include "ui/statusline.h"

std::unique_ptr<ReadingComfort> ReadingComfort::make(WindowParts &parts)
{
    return std::make_unique<ReadingComfort>(parts.page.reader, *parts.platform.settings,
                                            parts.status);
}

ReadingComfort::ReadingComfort(PageReader &reader, SettingsStore &settings, StatusLine &status)
    : m_reader(reader)
    , m_settings(settings)
    , m_status(status)
{
    connect(&m_reader, &PageReader::ReaderMessage, this,
            [this](const QString &text) { m_status.set(StatusLine::Message, text); });
}

void ReadingComfort::toggleReaderView()
{
    m_reader.ToggleReaderView();
}

void ReadingComfort::toggleDarkPages()
{
    m_status.set(StatusLine::Message, DarkPages(m_settings).toggle());
}

bool ReadingComfort::closesOnEscape() const
{
    return m_pageShown && m_reader.ReaderViewShown();
}

void ReadingComfort::closeOnEscape()
{
    m_reader.LeaveReaderView();
}

QString ReadingComfort::addressShown(const QString &location) const
{
    const QUrl shown(location);
    return Reader::isReaderAddress(shown) ? Reader::pageAddress(shown).toString() : location;
}

Commands::Rows<ReadingComfort> ReadingComfort::commands()
{
    using namespace Commands;
    static constexpr Row<ReadingComfort> rows[] = {
        keys<ReadingComfort>(
            "actReaderView", QT_TRANSLATE_NOOP("frmWebBrowser", "Reader view"), "F9; Ctrl+Alt+R",
            [](ReadingComfort &unit) { unit.toggleReaderView(); }, View::Browser, true),
        keys<ReadingComfort>("actDarkPages", QT_TRANSLATE_NOOP("frmWebBrowser", "Dark pages"),
                             "Ctrl+Shift+D", [](ReadingComfort &unit) { unit.toggleDarkPages(); }),
    };
    return rows;
}
