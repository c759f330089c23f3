#pragma once
// A tiny HTTP server on 127.0.0.1 for the update-check tests: it records the bytes of the
// request and answers with whatever the test scripted, or not at all.
#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

class LoopbackHttpServer : public QObject {
public:
  enum class Mode { Answer, NeverAnswer, CloseAtOnce };

  Mode mode = Mode::Answer;
  QByteArray response;   // sent once the whole request is in, then the connection is closed
  QByteArray received;   // everything the client sent
  int connections = 0;

  LoopbackHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
  }
  quint16 port() const { return server_.serverPort(); }

  static QByteArray ok(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
  }

private:
  void accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections;
      socket->setParent(this);
      if (mode == Mode::CloseAtOnce) {
        socket->close();
        continue;
      }
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        received += socket->readAll();
        if (mode == Mode::Answer && requestComplete()) {
          socket->write(response);
          socket->disconnectFromHost();
        }
      });
    }
  }
  bool requestComplete() const {
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0) return false;
    qsizetype length = 0;
    for (const QByteArray& line : received.left(end).split('\n'))
      if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
    return received.size() >= end + 4 + length;
  }

  QTcpServer server_;
};
