#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <memory>
#include <QObject>

class PageReader;
class SettingsStore;
class StatusLine;

// Reading comfort: the reader view of the page (its article alone, in a readable column), and
// dark pages, kept across runs.
class ReadingComfort final : public QObject, public WindowFeature
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<ReadingComfort> commands();

    static std::unique_ptr<ReadingComfort> make(WindowParts &parts);

    // What the reader view says goes to the status line.
    ReadingComfort(PageReader &reader, SettingsStore &settings, StatusLine &status);

    // Shows the page's article, or the page again.
    void toggleReaderView();
    // Turns dark pages on or off and says so in the status line.
    void toggleDarkPages();

    // Esc leaves the article for the page, before it closes or stops anything else.
    bool closesOnEscape() const override;
    void closeOnEscape() override;
    void setPageShown(bool pageShown) override { m_pageShown = pageShown; }
    QString addressShown(const QString &location) const override;

private:
    PageReader &m_reader;
    SettingsStore &m_settings;
    StatusLine &m_status;
    bool m_pageShown = true;
};
