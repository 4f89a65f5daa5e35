// A server on 127.0.0.1 that answers every connection with one scripted
// response and misbehaves on purpose: it drips the body byte by byte, resets
// the connection, or closes it before the announced length. It runs on the
// test's thread; the synchronous request's event loop drives it.
#pragma once

#include <sys/socket.h>

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <string>

namespace pagloom::testing {

class RawServer final : public QObject {
 public:
  enum class End {
    Close,  // an orderly close after the last byte
    Reset,  // a TCP reset after the last byte
    Hold,   // the connection stays open
  };

  struct Script {
    QByteArray head;  // status line and headers, sent at once, "\r\n\r\n" included
    QByteArray body;  // sent after the head
    int drip_ms = 0;  // 0: the body at once; otherwise one byte per interval
    End end = End::Close;
  };

  explicit RawServer(Script script) : script_(std::move(script)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
    });
  }

  // "http://127.0.0.1:<port>/".
  [[nodiscard]] std::string url() const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/";
  }

  // A head announcing `length` bytes of plain text.
  static QByteArray head_with_length(qsizetype length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(length) +
           "\r\n\r\n";
  }

 private:
  void serve(QTcpSocket* socket) {
    socket->setParent(this);
    // The request is read and ignored; the answer goes out straight away.
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    socket->write(script_.head);
    if (script_.drip_ms == 0) {
      socket->write(script_.body);
      finish(socket);
      return;
    }
    auto* timer = new QTimer(socket);
    auto* sent = new qsizetype(0);
    QObject::connect(socket, &QObject::destroyed, [sent] { delete sent; });
    QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent] {
      if (*sent >= script_.body.size()) {
        timer->stop();
        finish(socket);
        return;
      }
      socket->write(script_.body.mid((*sent)++, 1));
      socket->flush();
    });
    timer->start(script_.drip_ms);
  }

  void finish(QTcpSocket* socket) {
    socket->flush();
    switch (script_.end) {
      case End::Close:
        socket->disconnectFromHost();
        break;
      case End::Reset: {
        socket->waitForBytesWritten(1000);
        // A zero linger time turns the close into a reset.
        const linger no_linger{1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &no_linger,
                     sizeof no_linger);
        socket->abort();
        break;
      }
      case End::Hold:
        break;
    }
  }

  Script script_;
  QTcpServer server_;
};

}  // namespace pagloom::testing
