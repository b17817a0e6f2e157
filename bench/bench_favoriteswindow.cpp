// The favorites commands of the real browser window on a real Favorites.txt at the entry
// bound, with the other services doubled.

#include "benchfigures.h"
#include "favorites/favoritesfile.h"
#include "randomfavorites.h"
#include "windowfixture.h"

#include <cstdlib>
#include <QComboBox>
#include <QElapsedTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 9;

QByteArray fileOf(const QList<QByteArray> &entries)
{
    QByteArray bytes;
    for (const QByteArray &entry : entries)
        bytes += entry + "\r\n";
    return bytes;
}

bool fail(QTextStream &out, const QString &what)
{
    out << "FAILED: " << what << Qt::endl;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    HermeticHome home;
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QRandomGenerator random(20240607);
    const int bound = int(Favorites::MaxEntries);
    // Every add leaves the file sorted, so the file a user has is in order; one edited by
    // hand may be in any order, which makes the add's sort do real work.
    const QByteArray handEdited = fileOf(randomFavorites(bound - 1, random));
    const QByteArray belowBound = *Favorites::SortFavoritesFile(handEdited);

    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();
    const QString path = window.favoritesFilePath();
    RecordingMessageBox &messages = *fixture.test.messages;
    out << "Favorites.txt of " << bound - 1 << " entries, " << belowBound.size()
        << " bytes; the add reaches the bound of " << bound << Qt::endl;

    Samples fileRoundTrip, read, add, addHandEdited, del, settle;
    QElapsedTimer timer;
    const auto addTo = [&](const QByteArray &fileBytes, Samples &samples) {
        Favorites::writeFavoritesFile(path, fileBytes);
        window.ReadFavoritesList();
        // A new address each time, landing anywhere in the sorted list.
        fixture.cboAddress()->setEditText(
            u"https://www.%1.example/"_s.arg(random.generate(), 0, 36));
        messages.prompts.clear();
        timer.start();
        fixture.control<QToolButton>("cmdAddFavorite")->click();
        samples.add(timer);
        if (!messages.prompts.isEmpty() || fixture.cboFavoritesList()->count() != bound)
            return fail(out, u"the add was refused: "_s + messages.prompts.join(u'/'));
        timer.start();
        QApplication::processEvents();
        settle.add(timer);
        return true;
    };
    const auto round = [&] {
        // The floor: the file read and written back, which the add at least does.
        Favorites::writeFavoritesFile(path, belowBound);
        timer.start();
        Favorites::writeFavoritesFile(path, Favorites::readFavoritesFile(path));
        fileRoundTrip.add(timer);

        if (!addTo(handEdited, addHandEdited) || !addTo(belowBound, add))
            return false;

        timer.start();
        window.ReadFavoritesList();
        read.add(timer);

        // Not the first item: a delete in the middle moves the most rows.
        fixture.cboFavoritesList()->setCurrentIndex(bound / 2);
        timer.start();
        fixture.control<QToolButton>("cmdDeleteFavorite")->click();
        del.add(timer);
        if (!messages.prompts.isEmpty() || fixture.cboFavoritesList()->count() != bound - 1
            || Favorites::readEntries(Favorites::readFavoritesFile(path)).size() != bound - 1)
            return fail(out, u"the delete did not leave "_s + QString::number(bound - 1));
        QApplication::processEvents();
        return true;
    };
    for (int k = 0; k < Rounds; ++k) {
        if (!round())
            return EXIT_FAILURE;
    }

    printFigure(out, u"favorites file read and rewritten (floor)"_s, fileRoundTrip);
    printFigure(out, u"favorites list read at 32,767 entries"_s, read, 10, &fileRoundTrip);
    printFigure(out, u"favorites add, 32,766 -> 32,767 entries"_s, add, 50, &fileRoundTrip);
    printFigure(out, u"favorites add, 32,766 -> 32,767 entries, file unsorted by hand"_s,
                addHandEdited, 50, &fileRoundTrip);
    printFigure(out, u"favorites delete at 32,767 entries"_s, del, 50, &fileRoundTrip);
    printFigure(out, u"window events after the add (repaint)"_s, settle, 100);
    return EXIT_SUCCESS;
}
