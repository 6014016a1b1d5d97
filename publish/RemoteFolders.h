#pragma once

// The folders of an upload on the server, all below a base folder ending with "/": entering the
// folder of the next file, creating it with its missing parents first when it does not exist.
// The server's folder is changed only when the next file lies in another folder than the last.

#include <string>

#include "publish/FTPError.h"

class TTransferClient;

class TRemoteFolders {
 public:
  TRemoteFolders(TTransferClient& client, std::string base);

  // Enters base + folderPart ("img\sub\" or empty), the "\" turned into "/". False when the
  // folder can neither be entered nor made; the server's folder is then unknown, and LastError
  // holds the server's answer to the last try.
  bool Enter(const std::string& folderPart);
  const TFTPError& LastError() const { return Why; }

 private:
  // Creates the folders of path (ending with "/"), the outer ones first. Stops when no shorter
  // parent is left.
  void MakePath(const std::string& path);

  TTransferClient& Client;
  std::string Base;
  std::string Current;  // the server's folder; empty when unknown
  std::string Failed;   // the last folder that could not be made
  TFTPError Why;        // and why
};
