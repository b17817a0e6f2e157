// The browser window's favorites panel.

#include "favoritesfile.h"
#include "frmwebbrowser.h"
#include "messagebox.h"
#include "richtextarea.h"
#include "screenpointer.h"
#include "systemencoding.h"
#include "webbrowsercontrol.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>

namespace {

// Each list item keeps the bytes of its line, so that a rewrite gives back what was read.
constexpr int RawLineRole = Qt::UserRole;

QStringList listTexts(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

} // namespace

void frmWebBrowser::ReadFavoritesList()
{
    cboFavoritesList->clear();
    // With nowhere to keep the file the list stays empty; the window said so at load.
    if (FavoritesFilePath.isEmpty())
        return;
    const QByteArray fileBytes = Favorites::readFavoritesFile(FavoritesFilePath);
    for (const Favorites::FavoriteEntry &entry : Favorites::readEntries(fileBytes))
        cboFavoritesList->addItem(entry.text, entry.raw);
    if (cboFavoritesList->count() > 0)
        cboFavoritesList->setCurrentIndex(0);
}

void frmWebBrowser::mnuFileFavoritesList_Click()
{
    picLinksListContainer->setVisible(false);
}

void frmWebBrowser::cmdExitFavoritesList_Click()
{
    picLinksListContainer->setVisible(true);
    ctlWebBrowser->SetFocus();
}

void frmWebBrowser::cmdSelectFavorite_Click()
{
    if (cboFavoritesList->count() == 0) {
        m_platform.messageBox->MsgBox(tr("No entry in Favorites List yet"));
        return;
    }
    cboAddress->setEditText(cboFavoritesList->currentText());
    cboAddress->setFocus();
}

void frmWebBrowser::cmdAddFavorite_Click()
{
    ScreenPointer &pointer = *m_platform.screenPointer;
    pointer.setMousePointer(ScreenPointer::Hourglass);
    Text1->setText(QString());
    const QByteArray fileBytes = Favorites::readFavoritesFile(FavoritesFilePath);
    // The working copy shows the file's text; it is never read back as markup.
    Text1->setTextRTF(fromSystemEncoding(fileBytes));

    const Favorites::AddResult result
        = Favorites::addFavorite(fileBytes, listTexts(cboFavoritesList), cboAddress->currentText());
    if (result.outcome == Favorites::AddOutcome::Duplicate) {
        pointer.setMousePointer(ScreenPointer::Default);
        m_platform.messageBox->MsgBox(tr("Favorites List already has this entry"));
        return;
    }
    if (result.outcome == Favorites::AddOutcome::TooManyEntries) {
        pointer.setMousePointer(ScreenPointer::Default);
        m_platform.messageBox->MsgBox(
            tr("Favorites List is full (%1 entries)").arg(Favorites::MaxEntries));
        return;
    }
    Favorites::writeFavoritesFile(FavoritesFilePath, result.fileBytes);
    Text1->setText(QString());
    ReadFavoritesList();
    ctlWebBrowser->SetFocus();
    pointer.setMousePointer(ScreenPointer::Default);
}

void frmWebBrowser::cmdDeleteFavorite_Click()
{
    if (cboFavoritesList->count() == 0) {
        m_platform.messageBox->MsgBox(tr("No entry in Favorites List yet"));
        return;
    }
    ScreenPointer &pointer = *m_platform.screenPointer;
    pointer.setMousePointer(ScreenPointer::Hourglass);
    const int selected = cboFavoritesList->currentIndex();
    if (selected >= 0)
        cboFavoritesList->removeItem(selected);
    QCoreApplication::processEvents();

    QList<QByteArray> rawItems;
    for (int i = 0; i < cboFavoritesList->count(); ++i)
        rawItems.append(cboFavoritesList->itemData(i, RawLineRole).toByteArray());
    Favorites::writeFavoritesFile(FavoritesFilePath, Favorites::fileBytesFromItems(rawItems));

    if (cboFavoritesList->count() > 0)
        cboFavoritesList->setCurrentIndex(0);
    ctlWebBrowser->SetFocus();
    pointer.setMousePointer(ScreenPointer::Default);
}
