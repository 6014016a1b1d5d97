#pragma once

// Why an FTP operation or a publishing job failed: the kind of failure and, where there is one,
// the server's reply or the system's message. The windows and --upload turn it into a sentence
// (TUploadReport).

#include <cstddef>
#include <string>

class TFTPReply;

struct TFTPError {
  enum TKind {
    feNone,
    feNotSet,             // no server name, or no remote folder, in the settings
    feHostNotFound,       // the server's name could not be looked up
    feConnectionRefused,  // nothing accepts connections on that port
    feTimeout,            // the server or the network did not answer in time
    feCancelled,          // the job was cancelled
    feConnectionClosed,   // the server closed or reset the connection
    feNotConnected,       // the operation needs a connection
    feSystem,             // another system error; Detail holds its message
    feReply,              // the server refused the command; Detail holds its reply
    feLogInRefused,       // the server refused the user name or password; Detail holds its reply
    feLocalFile,          // the local file could not be read; Detail holds why
    feUnsendableName,     // the name holds a line break or NUL, which no command can carry
  };

  // A hostile server may send replies of any length: a detail keeps this many bytes at most.
  static constexpr size_t MaxDetail = 300;

  TKind Kind = feNone;
  std::string Detail;

  TFTPError() = default;
  explicit TFTPError(TKind kind, std::string detail = {});

  // An errno value: the kinds above where one fits, else feSystem with the system's message.
  static TFTPError FromSystem(int error);
  // The reply's first line ("530 Login incorrect.").
  static TFTPError FromReply(const TFTPReply& reply, TKind kind = feReply);
};
