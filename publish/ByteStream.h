#pragma once

// A connection that carries bytes both ways with every wait bounded by a deadline: a plain TCP
// socket (TTcpSocket) or TLS on top of one (TTlsChannel). The FTP control connection and the
// data connections write and read through it, whichever they are.

#include <cstddef>

#include "publish/FTPError.h"

class TDeadline;

class TByteStream {
 public:
  virtual ~TByteStream() = default;

  virtual bool SendAll(const char* data, size_t size, const TDeadline& deadline) = 0;
  // Waits for data and takes what has arrived: the byte count, 0 when the peer ended the
  // stream, -1 on an error or when the deadline passed first.
  virtual long Receive(char* buffer, size_t size, const TDeadline& deadline) = 0;
  // Why the last call that failed did.
  virtual TFTPError Failure() const = 0;
};
