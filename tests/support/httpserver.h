#pragma once

#include <functional>
#include <memory>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// What the test server answers on one path.
struct HttpResponse
{
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    // Headers go out at once; the body follows after this many milliseconds, so a test can
    // watch a page that is still loading.
    int delayMs = 0;
    // When set, the body waits until releaseHeld() (instead of delayMs).
    bool held = false;
    // When not negative, this many bytes of the body go out at once and the rest waits
    // until releaseHeld(). (Some clients wait for the first bytes of a body.)
    qsizetype holdAfter = -1;
    // When set, sent as the Location header (use a 3xx status with it).
    QByteArray location;
    // When set, the body goes out in pieces of this many bytes, one every chunkDelayMs, so
    // that a client sees it arrive bit by bit.
    int chunkSize = 0;
    int chunkDelayMs = 0;
    // When not negative, the connection is cut after this many bytes of the body; the
    // header still announces the whole body.
    qsizetype cutAfter = -1;
    // More header lines, e.g. "Content-Disposition: attachment; filename=a.bin".
    QList<QByteArray> headers;
    // When set, the body goes out in HTTP chunks instead of under a Content-Length.
    bool chunked = false;
    // When set, the body goes out again and again, as fast as the client takes it, forever.
    bool endless = false;
    // When not negative, the Content-Length announced instead of the body's own.
    qint64 announcedLength = -1;

    // A chunked body of plain text that never ends.
    static HttpResponse endlessText()
    {
        HttpResponse response;
        response.chunked = true;
        response.endless = true;
        response.contentType = "text/plain";
        response.body = QByteArray(64 * 1024, 'e');
        return response;
    }

    // A file that the browser downloads instead of showing, under the given name.
    static HttpResponse attachment(const QByteArray &name, const QByteArray &body)
    {
        HttpResponse response;
        response.contentType = "application/octet-stream";
        response.headers = { "Content-Disposition: attachment; filename=" + name };
        response.body = body;
        return response;
    }
};

// A small HTTP/1.1 server on 127.0.0.1 with a port chosen by the system, serving fixed
// responses by path; one request per connection. Unknown paths answer 404.
class HttpServer final : public QObject
{
    Q_OBJECT

public:
    explicit HttpServer(QObject *parent = nullptr);

    // Starts listening; false when no loopback port could be bound.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost);
    // Starts listening for HTTPS, with a self-signed certificate for 127.0.0.1 and
    // "localhost" that no client trusts.
    bool listenSecure();
    quint16 port() const { return m_server->serverPort(); }
    // The certificate that listenSecure() presents.
    static QSslCertificate certificate();
    // The bytes compressed for "Content-Encoding: gzip" and "Content-Encoding: br".
    static QByteArray gzip(const QByteArray &bytes);
    static QByteArray brotli(const QByteArray &bytes);

    void route(const QString &path, const HttpResponse &response);
    void route(const QString &path, const QByteArray &html);

    // The full address of a path on this server, e.g. "http://127.0.0.1:40123/a.html"
    // ("https://..." when secure).
    QString url(const QString &path) const;
    // How many requests have arrived for the path (the query is not part of the path).
    int requestCount(const QString &path) const { return m_requestCounts.value(path); }
    // From now on, every byte any client sends is kept for received(). Off unless asked: a long
    // run's server would otherwise grow by each request and count it as the program's memory.
    void keepReceived() { m_keepReceived = true; }
    // Every byte any client has sent since keepReceived(): request lines, headers and bodies.
    QByteArray received() const { return m_received; }
    // Sends the bodies of the held responses that are still waiting.
    void releaseHeld();

private:
    void handleConnection(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &requestHead);
    void sendBody(QTcpSocket *socket, const HttpResponse &response);

    std::unique_ptr<QTcpServer> m_server;
    bool m_secure = false;
    QHash<QString, HttpResponse> m_routes;
    QHash<QString, int> m_requestCounts;
    QList<std::function<void()>> m_held;
    bool m_keepReceived = false;
    QByteArray m_received;
};
