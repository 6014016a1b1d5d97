#include "publish/RemoteFolders.h"

#include "publish/TransferClient.h"

#include <algorithm>
#include <utility>

TRemoteFolders::TRemoteFolders(TTransferClient& client, std::string base)
    : Client(client), Base(std::move(base)), Current(Base) {}

bool TRemoteFolders::Enter(const std::string& folderPart) {
  std::string full = Base + folderPart;
  std::replace(full.begin(), full.end(), '\\', '/');
  if (full == Current) return true;
  if (full == Failed) return false;
  if (!Client.SetCurrentDir(full)) {
    MakePath(full);
    if (!Client.SetCurrentDir(full)) {
      Current.clear();
      Failed = full;
      Why = Client.LastError();
      return false;
    }
  }
  Current = full;
  return true;
}

void TRemoteFolders::MakePath(const std::string& path) {
  std::string trimmed = path.substr(0, path.find_last_not_of('/') + 1);
  size_t slash = trimmed.rfind('/');
  if (trimmed.empty() || slash == std::string::npos) return;
  std::string leaf = trimmed.substr(slash + 1);
  std::string parent = trimmed.substr(0, slash + 1);
  if (!Client.SetCurrentDir(parent)) {
    MakePath(parent);
    if (!Client.SetCurrentDir(parent)) return;
  }
  Client.CreateDir(leaf);
}
