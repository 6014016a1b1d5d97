#include "publish/FTPError.h"

#include <cerrno>
#include <system_error>

#include "publish/FTPReply.h"

TFTPError::TFTPError(TKind kind, std::string detail)
    : Kind(kind), Detail(detail.substr(0, MaxDetail)) {}

TFTPError TFTPError::FromSystem(int error) {
  switch (error) {
    case ECONNREFUSED:
      return TFTPError(feConnectionRefused);
    case ETIMEDOUT:
      return TFTPError(feTimeout);
    case ECANCELED:
      return TFTPError(feCancelled);
    case ECONNRESET:
    case EPIPE:
      return TFTPError(feConnectionClosed);
    case ENOTCONN:
      return TFTPError(feNotConnected);
    default:
      return TFTPError(feSystem, std::error_code(error, std::generic_category()).message());
  }
}

TFTPError TFTPError::FromReply(const TFTPReply& reply, TKind kind) {
  return TFTPError(kind, reply.Lines.empty() ? std::to_string(reply.Code) : reply.Lines.front());
}
