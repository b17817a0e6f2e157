// The browser window's favorites panel.

#include "favorites/favoritesfile.h"
#include "favorites/favoriteslistmodel.h"
#include "platform/api/messagebox.h"
#include "platform/api/platformerror.h"
#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/systemencoding.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"

#include <optional>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>

void frmWebBrowser::ReadFavoritesList()
{
    favoritesModel->setEntries({});
    // With nowhere to keep the file the list stays empty; the window said so at load.
    if (FavoritesFilePath.isEmpty())
        return;
    const QByteArray fileBytes = Favorites::readFavoritesFile(FavoritesFilePath);
    showFavorites(Favorites::readEntries(fileBytes));
}

void frmWebBrowser::showFavorites(QList<Favorites::FavoriteEntry> entries)
{
    favoritesModel->setEntries(std::move(entries));
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

bool frmWebBrowser::cmdAddFavorite_Click()
{
    std::optional<BusyPointer> busy(*m_platform.screenPointer);
    Text1->setText(QString());
    const QByteArray fileBytes = Favorites::readFavoritesFile(FavoritesFilePath);
    // The working copy keeps the file's text only when the add does not go through; an
    // accepted add empties it again, and laying out a long file's text in the area costs
    // more than the whole add. It is never read back as markup.
    const auto keepWorkingCopy = [&] { Text1->setTextRTF(fromSystemEncoding(fileBytes)); };

    const Favorites::AddResult result
        = Favorites::addFavorite(fileBytes, favoritesModel->texts(), cboAddress->currentText());
    if (result.outcome == Favorites::AddOutcome::Duplicate) {
        keepWorkingCopy();
        busy.reset();
        m_platform.messageBox->MsgBox(tr("Favorites List already has this entry"));
        return false;
    }
    if (result.outcome == Favorites::AddOutcome::TooManyEntries) {
        keepWorkingCopy();
        busy.reset();
        m_platform.messageBox->MsgBox(
            tr("Favorites List is full (%1 entries)").arg(Favorites::MaxEntries));
        return false;
    }
    try {
        Favorites::writeFavoritesFile(FavoritesFilePath, result.fileBytes);
    } catch (const PlatformError &) {
        keepWorkingCopy();
        throw;
    }
    // The list shows what was just written, as a read of the file would give it.
    showFavorites(result.entries);
    ctlWebBrowser->SetFocus();
    return true;
}

void frmWebBrowser::cmdDeleteFavorite_Click()
{
    if (cboFavoritesList->count() == 0) {
        m_platform.messageBox->MsgBox(tr("No entry in Favorites List yet"));
        return;
    }
    const BusyPointer busy(*m_platform.screenPointer);
    const int selected = cboFavoritesList->currentIndex();
    if (selected >= 0)
        cboFavoritesList->removeItem(selected);
    QCoreApplication::processEvents();

    try {
        Favorites::writeFavoritesFile(FavoritesFilePath,
                                      Favorites::fileBytesFromItems(favoritesModel->rawLines()));
    } catch (const PlatformError &) {
        // The file is as it was, and so the list shows it again.
        Failure::skip([&] { ReadFavoritesList(); });
        throw;
    }

    if (cboFavoritesList->count() > 0)
        cboFavoritesList->setCurrentIndex(0);
    ctlWebBrowser->SetFocus();
}
