// What the web control asks the user while it works: where a download goes, whether to
// trust a certificate, whether to grant a permission, and who the user is.

#include "platform/api/failure.h"
#include "platform/desktop/webengine/downloadtracker.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "platform/desktop/webengine/webenginesignins.h"

#include <QAuthenticator>
#include <QDir>
#include <QFileInfo>
#include <QGeoPositionInfoSource>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>

namespace {

QString certificateProblem(const QWebEngineCertificateError &error)
{
    switch (error.type()) {
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return WebEngineBrowserControl::tr("its certificate was made out to another site");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return WebEngineBrowserControl::tr("its certificate has expired or is not valid yet");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return WebEngineBrowserControl::tr(
            "its certificate was not issued by an authority this computer trusts; "
            "the site may have made it itself");
    case QWebEngineCertificateError::CertificateRevoked:
        return WebEngineBrowserControl::tr("its certificate has been revoked by its issuer");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
        return WebEngineBrowserControl::tr("its certificate uses weak encryption");
    default:
        return WebEngineBrowserControl::tr("its certificate is not valid (%1)")
            .arg(error.description());
    }
}

std::optional<UserQuestions::Permission> permissionOf(QWebEnginePage::Feature feature)
{
    using Permission = UserQuestions::Permission;
    switch (feature) {
    case QWebEnginePage::MediaVideoCapture:
        return Permission::Camera;
    case QWebEnginePage::MediaAudioCapture:
        return Permission::Microphone;
    case QWebEnginePage::MediaAudioVideoCapture:
        return Permission::CameraAndMicrophone;
    case QWebEnginePage::Geolocation:
        return Permission::Location;
    case QWebEnginePage::Notifications:
        return Permission::Notifications;
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture:
        return Permission::ScreenSharing;
    case QWebEnginePage::MouseLock:
        return Permission::PointerLock;
    }
    return std::nullopt;
}

// The desktop's Downloads folder, else Documents, else the home folder: the engine names
// Downloads even where there is none, and a save dialog would then open in the home folder.
QString downloadFolder()
{
    for (const auto location :
         { QStandardPaths::DownloadLocation, QStandardPaths::DocumentsLocation }) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

} // namespace

void WebEngineBrowserControl::askWhereToSave(QWebEngineDownloadRequest *download)
{
    const QString suggested = QDir(downloadFolder()).filePath(download->downloadFileName());
    QString path;
    if (m_questions)
        Failure::skip([&] { path = m_questions->whereToSave(suggested); });
    if (path.isEmpty()) {
        download->cancel();
        return;
    }
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    m_downloads->track(download);
    download->accept();
}

void WebEngineBrowserControl::askAboutCertificates()
{
    // One question at a time: a second error may come while the first question is open.
    if (m_askingAboutCertificate)
        return;
    m_askingAboutCertificate = true;
    while (!m_certificateErrors.isEmpty()) {
        QWebEngineCertificateError error = m_certificateErrors.takeFirst();
        const QString site = siteOf(error.url());
        const QString problem = certificateProblem(error);
        bool proceed = false;
        if (error.isOverridable() && m_questions)
            Failure::skip([&] { proceed = m_questions->proceedDespiteCertificate(site, problem); });
        if (proceed) {
            // Sign-ins are not filled into a page that reached us this way.
            m_signIns->certificatePassed(error.url());
            error.acceptCertificate();
        } else {
            error.rejectCertificate();
            setNotice(tr("%1 was not shown: %2.").arg(site, problem));
        }
    }
    m_askingAboutCertificate = false;
}

void WebEngineBrowserControl::askForPermission(const QUrl &origin, int feature)
{
    const auto asked = QWebEnginePage::Feature(feature);
    const auto permission = permissionOf(asked);
    bool allow = false;
    if (permission && m_questions)
        Failure::skip(
            [&] { allow = m_questions->allowPermission(siteOf(origin), *permission).allow; });
    if (allow && asked == QWebEnginePage::Geolocation) {
        grantLocationIfKnown(origin);
        return;
    }
    m_page->setFeaturePermission(origin, asked,
                                 allow ? QWebEnginePage::PermissionGrantedByUser
                                       : QWebEnginePage::PermissionDeniedByUser);
}

void WebEngineBrowserControl::grantLocationIfKnown(const QUrl &origin)
{
    // Granted where nothing can tell the position, the page would wait for an answer that
    // never comes; refused, it is answered at once and can say so.
    QGeoPositionInfoSource *source = QGeoPositionInfoSource::createDefaultSource(this);
    if (!source) {
        refuseUnknownLocation(origin);
        return;
    }
    auto answered = std::make_shared<bool>(false);
    const auto answer = [this, source, origin, answered](bool known) {
        if (std::exchange(*answered, true))
            return;
        source->deleteLater();
        if (known)
            m_page->setFeaturePermission(origin, QWebEnginePage::Geolocation,
                                         QWebEnginePage::PermissionGrantedByUser);
        else
            refuseUnknownLocation(origin);
    };
    connect(source, &QGeoPositionInfoSource::positionUpdated, this, [answer] { answer(true); });
    connect(source, &QGeoPositionInfoSource::errorOccurred, this, [answer] { answer(false); });
    source->requestUpdate(LocationWaitMs);
}

void WebEngineBrowserControl::refuseUnknownLocation(const QUrl &origin)
{
    m_page->setFeaturePermission(origin, QWebEnginePage::Geolocation,
                                 QWebEnginePage::PermissionDeniedByUser);
    setNotice(tr("This computer cannot tell its location: %1 was told so.").arg(siteOf(origin)));
}

void WebEngineBrowserControl::askForCredentials(const QString &site, QAuthenticator *authenticator)
{
    // An authenticator left unset tells the engine that the user declined.
    std::optional<UserQuestions::Credentials> given;
    if (m_questions)
        Failure::skip([&] { given = m_questions->credentials(site, authenticator->realm()); });
    if (!given)
        return;
    authenticator->setUser(given->user);
    authenticator->setPassword(given->password);
}
