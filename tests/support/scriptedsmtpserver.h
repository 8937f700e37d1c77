#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <mutex>
#include <thread>

// A one-connection SMTP server on loopback that answers from a script, for exact transcripts.
// The first reply is the greeting; each further reply answers one client command: one line, or
// after a 354 reply the whole message up to its "." line. A reply of silent() never comes (the
// server hangs); closeNow() drops the connection; delayed() answers late. Everything the client sends is recorded.
class ScriptedSmtpServer {
public:
    explicit ScriptedSmtpServer(QList<QByteArray> replies);
    ~ScriptedSmtpServer();

    static QByteArray silent() { return QByteArrayLiteral("<silent>"); }
    static QByteArray closeNow() { return QByteArrayLiteral("<close>"); }
    // The reply, sent only after a pause.
    static QByteArray delayed(int ms, const QByteArray& reply) { return "<delay:" + QByteArray::number(ms) + '>' + reply; }
    // The usual replies of a server that accepts one mail.
    static QList<QByteArray> accepting();

    int port() const { return port_; }
    // What the client sent, once it closed the connection (or after stop()).
    QByteArray transcript();
    bool clientConnected() const { return connected_; }
    void stop();

private:
    void run();

    QList<QByteArray> replies_;
    int listenFd_ = -1;
    int port_ = 0;
    int wakeFd_[2] = {-1, -1};
    std::thread thread_;
    std::mutex mutex_;
    QByteArray transcript_;
    std::atomic<bool> connected_{false};
};

// A port on loopback where nothing listens, so connecting is refused.
int unusedLoopbackPort();
