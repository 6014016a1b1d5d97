#pragma once

// The script host: runs a script text in the engine registered under a language name, with host
// objects visible to the script under names, and keeps the first error of a run with its
// description and zero-based line. Create, CreateEngine, AddNamedItem, Execute, on failure
// GetError, Close. The engine is QJSEngine ("JavaScript", an ECMAScript dialect).
//
// A named item added with global members has its properties and methods become global names of
// the script, while its own name is not an identifier (flags 8); otherwise its name is a global
// identifier (flags 6). Names are matched exactly, letter case included.
//
// Results are the platform's status codes: 0 success, negative failure.

#include <QObject>
#include <QJSValue>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QJSEngine;

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
// The engine reported the error to its host, which holds it for GetError.
inline constexpr HRESULT SCRIPT_E_REPORTED = static_cast<HRESULT>(0x80020101);
// The run was stopped by Interrupt.
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);

struct TNamedItem {
  QString Name;
  std::int32_t Flags = 0;
  QPointer<QObject> Obj;
};

struct TScriptError {
  QString Description;
  QString SourceLine;     // the text of the line in error
  std::uint32_t Line = 0; // zero-based
  std::int32_t Column = 0;
  HRESULT Status = S_OK;
};

class TActiveScript : public QObject {
  Q_OBJECT
 public:
  static constexpr std::int32_t GlobalMembersFlags = 8;
  static constexpr std::int32_t VisibleFlags = 6;  // visible (2) and source (4)

  explicit TActiveScript(QObject* owner = nullptr);
  ~TActiveScript() override;

  // An unknown language leaves the host without an engine, and Execute fails.
  void CreateEngine(const QString& language);
  HRESULT AddNamedItem(const QString& name, QObject* object, bool globalMembers);
  // Runs code at once; S_OK when it ran to its end.
  HRESULT Execute(const QString& code);
  // The last error, valid while the host lives.
  const TScriptError& GetError() const { return LastError; }
  HRESULT Close();
  // Stops the running script; callable from any thread.
  void Interrupt();

  const std::vector<TNamedItem>& NamedItems() const { return Items; }

  // How an error names a member the object lacks: "%s" the object, then "%s" the member.
  QString NoMemberFormat = QStringLiteral("%s has no member %s");

  // What a script sees of an object a member gave: the object itself, or, when its class
  // declares write-only properties (Q_CLASSINFO("WriteOnly", "Name ...")), an object of
  // forwarding members that enumeration passes over.
  Q_INVOKABLE QJSValue ScriptView(const QJSValue& value);
  const QString& Language() const { return LanguageName; }

 private:
  std::unique_ptr<QJSEngine> Engine;
  std::atomic<QJSEngine*> RunningEngine{nullptr};
  std::vector<TNamedItem> Items;
  QString LanguageName;
  QString Code;
  TScriptError LastError;

  HRESULT Register(const TNamedItem& item);
  QJSValue Define;  // the function that makes forwarding members
  QJSValue View;    // ScriptView, for Define

  // Gives on a forwarding member for each member of object, and the tag when not empty;
  // returns on.
  QJSValue DefineMembers(const QJSValue& on, QObject* object, const QString& tag = QString());
  void ForgetEngine();
  void RecordError(const QJSValue& error, const QStringList& stackTrace);
  void RecordInterruption();
  static bool IsKnownLanguage(const QString& language);
};
