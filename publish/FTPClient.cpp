#include "publish/FTPClient.h"

#include <sys/socket.h>

#include <QFile>

#include <cerrno>

#include "generator/MiscUtils.h"
#include "publish/Deadline.h"
#include "publish/TcpSocket.h"
#include "publish/Wipe.h"

namespace {

// ASCII transfers carry CR LF line ends; a line end of the local (LF) form gains its CR. A CR
// that ended the previous block still pairs with an LF that starts this one.
std::string ToNetworkLineEnds(const char* data, size_t size, bool& lastWasCR) {
  std::string out;
  out.reserve(size + size / 8);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' && !lastWasCR) out += '\r';
    out += data[i];
    lastWasCR = data[i] == '\r';
  }
  return out;
}

}  // namespace

TFTPClient::~TFTPClient() { Disconnect(); }

bool TFTPClient::Connect() {
  Disconnect();
  BinaryTypeSet.reset();
  Control.SetLimits(Timeout, Cancel);
  if (!Open() || !Secure() || !LogIn()) {
    Control.Close();
    return false;
  }
  ReadFeatures();
  return Connected() || Fail(Control.Failure());
}

bool TFTPClient::Open() {
  std::vector<TSocketAddress> addresses = ResolveServer();
  if (addresses.empty()) return false;
  return Control.Open(addresses) || Fail(Control.Failure());
}

bool TFTPClient::LogIn() {
  bool anonymous = UserName.empty();
  TFTPReply reply;
  if (!Exchange("USER " + (anonymous ? std::string("anonymous") : UserName), reply)) return false;
  if (reply.Code == 230) return true;  // no password wanted
  if (reply.Code != 331) return Fail(TFTPError::FromReply(reply, TFTPError::feLogInRefused));
  // Anonymous servers expect some password; this is the customary one.
  std::string command = "PASS " + (anonymous && Password.empty() ? "anonymous@" : Password);
  const bool answered = Exchange(command, reply);
  Wipe(command);
  if (!answered) return false;
  return reply.IsPositive() || Fail(TFTPError::FromReply(reply, TFTPError::feLogInRefused));
}

void TFTPClient::ReadFeatures() {
  // Over IPv6 the extended commands are the only ones there are.
  bool ipv6 = Control.PeerAddress().Family() == AF_INET6;
  UseEPSV = ipv6;
  UseEPRT = ipv6;
  TFTPReply features;
  if (!Control.Command("FEAT", features)) return;
  UseEPSV = UseEPSV || features.HasFeature("EPSV");
  UseEPRT = UseEPRT || features.HasFeature("EPRT");
  TFTPReply reply;
  if (features.HasFeature("UTF8")) Control.Command("OPTS UTF8 ON", reply);
}

void TFTPClient::Disconnect() {
  if (Control.IsOpen()) {
    TFTPReply reply;
    Control.Command("QUIT", reply);
  }
  Control.Close();
}

bool TFTPClient::Exchange(const std::string& command, TFTPReply& reply) {
  if (!Connected()) return Fail(Control.Failure());
  if (!TFTPControlConnection::IsSendable(command))
    return Fail(TFTPError(TFTPError::feUnsendableName));
  return Control.Command(command, reply) || Fail(Control.Failure());
}

bool TFTPClient::SimpleCommand(const std::string& command) {
  TFTPReply reply;
  return Exchange(command, reply) && (reply.IsPositive() || Fail(TFTPError::FromReply(reply)));
}

bool TFTPClient::SetCurrentDir(const std::string& path) { return SimpleCommand("CWD " + path); }

bool TFTPClient::CreateDir(const std::string& name) { return SimpleCommand("MKD " + name); }

bool TFTPClient::DeleteFile(const std::string& name) { return SimpleCommand("DELE " + name); }

std::string TFTPClient::GetCurrentDir() {
  TFTPReply reply;
  std::string path;
  if (!Exchange("PWD", reply)) return {};
  if (!reply.QuotedPath(path)) Fail(TFTPError::FromReply(reply));
  return path;
}

bool TFTPClient::OpenPassive(TTcpSocket& data) {
  TSocketAddress server = Control.PeerAddress();
  TFTPReply reply;
  uint16_t port = 0;
  bool offered = false;
  if (UseEPSV || server.Family() == AF_INET6) {
    if (!Exchange("EPSV", reply)) return false;
    offered = reply.ExtendedPassivePort(port);
    UseEPSV = offered;
  }
  if (!offered && server.Family() == AF_INET) {
    if (!Exchange("PASV", reply)) return false;
    offered = reply.PassivePort(port);
  }
  if (!offered) return Fail(TFTPError::FromReply(reply));
  // Whatever address a 227 reply names, the data goes to the server this session talks to:
  // a server must not be able to point the client at another host.
  server.SetPort(port);
  return data.Connect(server, Control.Deadline()) ||
         Fail(TFTPError::FromSystem(data.LastError()));
}

bool TFTPClient::OpenActive(TTcpSocket& listener) {
  if (!listener.Listen(Control.LocalAddress()))
    return Fail(TFTPError::FromSystem(listener.LastError()));
  TSocketAddress local = listener.LocalAddress();
  TFTPReply reply;
  if (UseEPRT || local.Family() == AF_INET6) {
    std::string command = std::string("EPRT |") + (local.Family() == AF_INET6 ? "2" : "1") +
                          "|" + local.HostText() + "|" + std::to_string(local.Port()) + "|";
    if (!Exchange(command, reply)) return false;
    if (reply.IsPositive()) return true;
    UseEPRT = false;
  }
  uint8_t host[4];
  if (!local.IPv4Bytes(host)) return Fail(TFTPError::FromSystem(EAFNOSUPPORT));
  std::string command = "PORT ";
  for (uint8_t part : host) command += std::to_string(part) + ",";
  command += std::to_string(local.Port() >> 8) + "," + std::to_string(local.Port() & 0xFF);
  return SimpleCommand(command);
}

bool TFTPClient::SendFileBlocks(QFile& file, TByteStream& data, bool& aborted) {
  const int64_t total = file.size();
  int64_t written = 0;
  bool lastWasCR = false;
  char block[BlockSize];
  for (;;) {
    qint64 got = file.read(block, BlockSize);
    if (got < 0) return Fail(TFTPError(TFTPError::feLocalFile, file.errorString().toStdString()));
    if (got > 0) {
      std::string converted;
      const char* out = block;
      size_t size = static_cast<size_t>(got);
      if (!BinaryMode) {
        converted = ToNetworkLineEnds(block, size, lastWasCR);
        out = converted.data();
        size = converted.size();
      }
      if (!data.SendAll(out, size, Control.Deadline())) return Fail(data.Failure());
      written += got;
    }
    if (OnProgress) OnProgress(*this, written, aborted, total);
    if (aborted || got < static_cast<qint64>(BlockSize)) return true;
  }
}

bool TFTPClient::PutFile(const std::string& localFile, const std::string& remoteName) {
  std::string store = "STOR " + remoteName;
  if (!Connected()) return Fail(Control.Failure());
  if (!TFTPControlConnection::IsSendable(store))
    return Fail(TFTPError(TFTPError::feUnsendableName));
  QFile file(FileSystemPath(localFile));
  if (!file.open(QIODevice::ReadOnly))
    return Fail(TFTPError(TFTPError::feLocalFile, file.errorString().toStdString()));
  if (!SetTransferType()) return false;

  TTcpSocket data;
  TTcpSocket listener;
  if (PassiveMode ? !OpenPassive(data) : !OpenActive(listener)) return false;
  TFTPReply reply;
  if (!Control.Send(store) || !Control.ReadReply(reply)) return Fail(Control.Failure());
  if (!reply.IsPreliminary()) return Fail(TFTPError::FromReply(reply));
  if (!TakeData(data, listener)) return false;

  bool aborted = false;
  TByteStream* stream = OpenData(data);
  bool sent = stream && SendFileBlocks(file, *stream, aborted);
  if (stream) CloseData(data);
  data.Close();  // the end of the data tells the server the file is complete
  return Confirm(sent, aborted);
}

bool TFTPClient::SetTransferType() {
  if (BinaryTypeSet == BinaryMode) return true;
  if (!SimpleCommand(BinaryMode ? "TYPE I" : "TYPE A")) return false;
  BinaryTypeSet = BinaryMode;
  return true;
}

bool TFTPClient::TakeData(TTcpSocket& data, TTcpSocket& listener) {
  if (PassiveMode) return true;
  bool accepted = listener.Accept(data, Control.PeerAddress(), Control.Deadline());
  listener.Close();
  if (accepted) return true;
  // The server waits for a connection that will not come; its next reply is unknown.
  Control.Drop(TFTPError::FromSystem(listener.LastError()));
  return Fail(Control.Failure());
}

bool TFTPClient::Confirm(bool sent, bool aborted) {
  // Only the final reply says whether the server holds the whole file: a reset connection or a
  // full disk shows here even when every block went out. A refusal is the server's own word on
  // what went wrong, so it comes before the error of the data connection.
  TFTPReply reply;
  if (!Control.ReadReply(reply)) return Fail(Control.Failure());
  if (reply.Code != 226 && reply.Code != 250) return Fail(TFTPError::FromReply(reply));
  if (aborted) return Fail(TFTPError(TFTPError::feCancelled));
  return sent;  // when not, OpenData or SendFileBlocks kept why
}
