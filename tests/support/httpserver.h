#pragma once

#include <functional>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
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
    // When set, sent as the Location header (use a 3xx status with it).
    QByteArray location;
};

// A small HTTP/1.1 server on 127.0.0.1 with a port chosen by the system, serving fixed
// responses by path; one request per connection. Unknown paths answer 404.
class HttpServer final : public QObject
{
    Q_OBJECT

public:
    explicit HttpServer(QObject *parent = nullptr);

    // Starts listening; false when no loopback port could be bound.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }

    void route(const QString &path, const HttpResponse &response);
    void route(const QString &path, const QByteArray &html);

    // The full address of a path on this server, e.g. "http://127.0.0.1:40123/a.html".
    QString url(const QString &path) const;
    // How many requests have arrived for the path (the query is not part of the path).
    int requestCount(const QString &path) const { return m_requestCounts.value(path); }
    // Sends the bodies of the held responses that are still waiting.
    void releaseHeld();

private:
    void handleConnection(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &requestHead);

    QTcpServer m_server;
    QHash<QString, HttpResponse> m_routes;
    QHash<QString, int> m_requestCounts;
    QList<std::function<void()>> m_held;
};
