#include "publish/UploadReport.h"

#include "services/LocalStrings.h"

#include "publish/TransferClient.h"
#include "publish/TransferProtocol.h"

namespace {

// The kinds worded by a text of the table alone; the others carry their detail.
struct TCauseText {
  TFTPError::TKind Kind;
  const char* Key;
};

constexpr TCauseText kCauseTexts[] = {
    {TFTPError::feHostNotFound, "CauseHostNotFound"},
    {TFTPError::feConnectionRefused, "CauseRefused"},
    {TFTPError::feTimeout, "CauseTimeout"},
    {TFTPError::feCancelled, "CauseCancelled"},
    {TFTPError::feConnectionClosed, "CauseClosed"},
    {TFTPError::feNotConnected, "CauseNotConnected"},
    {TFTPError::feUnsendableName, "CauseBadName"},
    {TFTPError::feOutsideSite, "CauseOutsideSite"},
    {TFTPError::feLocalFile, "CauseLocalFile"},
    {TFTPError::feTlsRefused, "CauseTlsRefused"},
    {TFTPError::feSecureChannel, "CauseSecureChannel"},
};

std::string Bytes(const QString& text) {
  return text.toUtf8().toStdString();
}

uint16_t StandardPort(const TFTPSettings& settings) {
  TTransferProtocol::TKind kind = TTransferProtocol::tpFTP;
  TTransferProtocol::FromName(settings.Protocol, kind);
  return TTransferProtocol::StandardPort(kind);
}

}  // namespace


QString TUploadReport::Text(const char* key, const QStringList& args) const {
  return FormatText(Texts(key), args);
}

QString TUploadReport::DisplayPath(const QString& recordPath) {
  return QString(recordPath).replace(u'\\', u'/');
}

QString TUploadReport::ServerText(const TFTPSettings& settings) {
  const QString host = settings.Server.trimmed();
  const QString port =
      QString::number(TTransferClient::PortNumber(Bytes(settings.Port), StandardPort(settings)));
  const bool bare = host.contains(u':') && !host.startsWith(u'[');  // an IPv6 address
  return (bare ? u'[' + host + u']' : host) + u':' + port;
}

QString TUploadReport::KnownHostsName(const TFTPSettings& settings) {
  const QString host = settings.Server.trimmed();
  const uint16_t port = TTransferClient::PortNumber(Bytes(settings.Port), 22);
  return port == 22 ? host : u'[' + host + QStringLiteral("]:") + QString::number(port);
}

QString TUploadReport::Clean(const std::string& detail) {
  QString text = QString::fromUtf8(detail);
  // A hostile server could otherwise steer the terminal the report is printed on.
  for (QChar& c : text)
    if (c.category() == QChar::Other_Control) c = u' ';
  text = text.trimmed();
  while (text.endsWith(u'.')) text.chop(1);
  return text;
}

QString TUploadReport::Cause(const TFTPError& why) const {
  for (const TCauseText& cause : kCauseTexts)
    if (cause.Kind == why.Kind) return Text(cause.Key, {Clean(why.Detail)});
  if (why.Detail.empty()) return Text("CauseUnknown");
  return Clean(why.Detail);
}

QString TUploadReport::ConnectionFailure(const TFTPError& why,
                                         const TFTPSettings& settings) const {
  switch (why.Kind) {
    case TFTPError::feNone:
      return Text("UploadStopped");
    case TFTPError::feNotSet:
      return Text("UploadNoServer");
    case TFTPError::feLogInRefused:
      return Text("UploadLogInRefused", {ServerText(settings), Cause(why)});
    case TFTPError::feUnknownProtocol:
      return Text("UploadUnknownProtocol", {Clean(why.Detail)});
    case TFTPError::feCertificateUntrusted:
    case TFTPError::feHostKeyUnknown:
    case TFTPError::feHostKeyChanged:
      return TrustFailure(why, settings);
    default:
      return Text("UploadConnectFailed", {ServerText(settings), Cause(why)});
  }
}

QString TUploadReport::TrustFailure(const TFTPError& why, const TFTPSettings& settings) const {
  const QString fingerprint = QString::fromStdString(why.Fingerprint);
  if (why.Kind == TFTPError::feCertificateUntrusted)
    return Text("UploadCertificateUntrusted",
                {ServerText(settings), Clean(why.Detail), fingerprint});
  if (why.Kind == TFTPError::feHostKeyUnknown)
    return Text("UploadHostKeyUnknown",
                {ServerText(settings), fingerprint, QString::fromStdString(why.Detail)});
  return Text("UploadHostKeyChanged",
              {ServerText(settings), fingerprint, KnownHostsName(settings)});
}

QString TUploadReport::RootFailure(const TFTPError& why, const TFTPSettings& settings) const {
  if (why.Kind == TFTPError::feNotSet) return Text("UploadNoRoot");
  return Text("UploadRootFailed", {settings.RemoteRoot, ServerText(settings), Cause(why)});
}

QString TUploadReport::Outcome(int outcome, const TFTPError& why, const TFTPSettings& settings,
                               int failedCount) const {
  switch (outcome) {
    case 0:
      if (failedCount == 0) return Text("UploadComplete");
      return Text("UploadIncomplete", {QString::number(failedCount)});
    case 1:
      return ConnectionFailure(why, settings);
    case 2:
      return RootFailure(why, settings);
    case 3:
      return Text("UploadNoFiles");
    default:
      return Text("UploadAborted");
  }
}

QString TUploadReport::FailedFile(const QString& path, const TFTPError& why, bool deletion) const {
  return Text(deletion ? "UploadDeleteFailed" : "UploadFileFailed", {DisplayPath(path), Cause(why)});
}

QString TUploadReport::Counts(int sent, int deleted, int failed) const {
  return Text("UploadCounts", {QString::number(sent), QString::number(deleted), QString::number(failed)});
}

QString TUploadReport::RemovedFile(const QString& path) const {
  return Text("UploadPlanRemoved", {DisplayPath(path)});
}

QString TUploadReport::PlannedFile(const TUploadPlan::TFile& file) const {
  return Text("UploadPlanFile", {DisplayPath(file.Path), QString::number(file.Size)});
}

QString TUploadReport::PlanSummary(const TUploadPlan& plan) const {
  const QString summary = Text("UploadPlanSummary", {QString::number(plan.Files().size()), QString::number(plan.TotalSize()),
                                                     QString::number(plan.UnchangedCount())});
  return plan.FreshDestination ? summary + u' ' + Text("UploadPlanNewDestination") : summary;
}
