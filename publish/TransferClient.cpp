#include "publish/TransferClient.h"

#include "generator/MiscUtils.h"
#include "publish/Deadline.h"
#include "publish/FTPClient.h"
#include "publish/FTPSClient.h"
#include "publish/FTPSettings.h"
#include "publish/HostResolver.h"
#include "publish/SFTPClient.h"
#include "publish/TransferProtocol.h"
#include "publish/Wipe.h"

namespace {

std::string Bytes(const QString& text) {
  return text.toUtf8().toStdString();
}

std::unique_ptr<TTransferClient> NewClient(TTransferProtocol::TKind kind,
                                           const TFTPSettings& settings) {
  if (kind == TTransferProtocol::tpSFTP) return std::make_unique<TSFTPClient>();
  std::unique_ptr<TFTPClient> ftp =
      kind == TTransferProtocol::tpFTPS
          ? std::make_unique<TFTPSClient>(Bytes(settings.TrustedCertificate))
          : std::make_unique<TFTPClient>();
  ftp->SetBinaryMode(true);  // a site's files go as they are
  ftp->SetPassiveMode(settings.PassiveMode);
  return ftp;
}

}  // namespace

TTransferClient::~TTransferClient() {
  Wipe(Password);
}

std::unique_ptr<TTransferClient> TTransferClient::Make(const TFTPSettings& settings,
                                                       const std::atomic<bool>* cancel,
                                                       TFTPError& why) {
  TTransferProtocol::TKind kind;
  if (!TTransferProtocol::FromName(settings.Protocol, kind)) {
    why = TFTPError(TFTPError::feUnknownProtocol, Bytes(settings.Protocol.trimmed()));
    return nullptr;
  }
  std::unique_ptr<TTransferClient> client = NewClient(kind, settings);
  client->SetCancelFlag(cancel);
  client->SetTimeout(settings.Timeout);
  client->SetServer(Bytes(settings.Server));
  client->SetPort(Bytes(settings.Port));
  client->SetUserName(Bytes(settings.UserName));
  std::string password = Bytes(settings.Password);
  client->SetPassword(password);
  Wipe(password);
  return client;
}

void TTransferClient::SetPassword(const std::string& password) {
  Wipe(Password);
  Password = password;
}

void TTransferClient::SetTimeout(int milliseconds) {
  Timeout = milliseconds > 0 ? milliseconds : DefaultTimeout;
}

uint16_t TTransferClient::PortNumber(const std::string& text, uint16_t standard) {
  std::string_view digits = TrimBlanks(text);
  if (digits.empty() || digits.size() > 5) return standard;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return standard;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535 ? static_cast<uint16_t>(value) : standard;
}

bool TTransferClient::Fail(const TFTPError& why) {
  Error = why;
  return false;
}

std::vector<TSocketAddress> TTransferClient::ResolveServer() {
  if (Server.empty()) {
    Fail(TFTPError(TFTPError::feNotSet));
    return {};
  }
  TDeadline deadline(Timeout, Cancel);
  std::vector<TSocketAddress> addresses = THostResolver::Resolve(Server, PortToUse(), deadline);
  if (addresses.empty()) {
    Fail(TFTPError(deadline.Cancelled() ? TFTPError::feCancelled
                   : deadline.Expired() ? TFTPError::feTimeout
                                        : TFTPError::feHostNotFound));
  }
  return addresses;
}
