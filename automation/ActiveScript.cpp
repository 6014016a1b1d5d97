#include "automation/ActiveScript.h"

#include <QJSEngine>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QStringList>

namespace {

// Makes each name of the item a global name that forwards to the item, so the script reads
// Editor for Application.Editor and calls Open() for Application.Open(). Accessors rather than
// copies: a property is read afresh each time.
const char kDefineGlobals[] = R"((function (item, properties, methods) {
  for (const name of properties)
    Object.defineProperty(this, name, {
      get() { return item[name]; }, set(value) { item[name] = value; },
      configurable: true, enumerable: true });
  for (const name of methods)
    Object.defineProperty(this, name, {
      value: function () { return item[name].apply(item, arguments); },
      configurable: true, writable: true });
}))";

QStringList PropertyNames(const QMetaObject& type) {
  QStringList names;
  for (int i = QObject::staticMetaObject.propertyCount(); i < type.propertyCount(); ++i)
    names.append(QLatin1String(type.property(i).name()));
  return names;
}

// Public methods and slots a script may call; overloads (left-out parameters) share a name.
QStringList MethodNames(const QMetaObject& type) {
  QStringList names;
  for (int i = QObject::staticMetaObject.methodCount(); i < type.methodCount(); ++i) {
    const QMetaMethod method = type.method(i);
    if (method.access() != QMetaMethod::Public || method.methodType() == QMetaMethod::Signal) continue;
    const QString name = QString::fromLatin1(method.name());
    if (!names.contains(name)) names.append(name);
  }
  return names;
}

// The file name of the code that makes global members, so that its frames can be told apart.
const QString kGlobalsFile = QStringLiteral("inkloom-global-members");

// The line of the innermost frame of the script itself: a failure raised in a host object's
// member passes through the forwarding function of a global member first. Frames read
// "function:line:column:file".
int ScriptLine(const QStringList& stackTrace) {
  for (const QString& frame : stackTrace) {
    const QStringList parts = frame.split(u':');
    if (parts.size() >= 4 && !frame.endsWith(kGlobalsFile)) return parts[1].toInt();
  }
  return 0;
}

}  // namespace

TActiveScript::TActiveScript(QObject* owner) : QObject(owner) {}

TActiveScript::~TActiveScript() { Close(); }

bool TActiveScript::IsKnownLanguage(const QString& language) {
  for (const char* name : {"JavaScript", "JScript", "ECMAScript"})
    if (language.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
  return false;
}

void TActiveScript::CreateEngine(const QString& language) {
  if (!IsKnownLanguage(language)) return;
  Engine = std::make_unique<QJSEngine>();
  Engine->installExtensions(QJSEngine::ConsoleExtension);
  LanguageName = language;
  for (const TNamedItem& item : Items) Register(item);
}

HRESULT TActiveScript::AddNamedItem(const QString& name, QObject* object, bool globalMembers) {
  const std::int32_t flags = globalMembers ? GlobalMembersFlags : VisibleFlags;
  auto same = std::find_if(Items.begin(), Items.end(), [&](const TNamedItem& item) { return item.Name == name; });
  if (same == Items.end()) same = Items.insert(Items.end(), TNamedItem{name, 0, nullptr});
  same->Flags = flags;
  same->Obj = object;
  return Engine ? Register(*same) : S_OK;
}

HRESULT TActiveScript::Register(const TNamedItem& item) {
  if (!item.Obj) return E_FAIL;
  // The host's caller owns the object; the engine must never free it.
  QJSEngine::setObjectOwnership(item.Obj, QJSEngine::CppOwnership);
  if (item.Flags == GlobalMembersFlags)
    DefineGlobalMembers(item.Obj);
  else
    Engine->globalObject().setProperty(item.Name, Engine->newQObject(item.Obj));
  return S_OK;
}

void TActiveScript::DefineGlobalMembers(QObject* object) {
  const QMetaObject& type = *object->metaObject();
  QJSValue define = Engine->evaluate(QString::fromLatin1(kDefineGlobals), kGlobalsFile);
  define.callWithInstance(Engine->globalObject(),
                          {Engine->newQObject(object), Engine->toScriptValue(PropertyNames(type)),
                           Engine->toScriptValue(MethodNames(type))});
}

HRESULT TActiveScript::Execute(const QString& code) {
  if (!Engine) return E_FAIL;
  LastError.Status = S_OK;
  Code = code;
  Engine->setInterrupted(false);
  RunningEngine = Engine.get();
  QStringList stackTrace;
  const QJSValue result = Engine->evaluate(code, QString(), 1, &stackTrace);
  RunningEngine = nullptr;
  if (Engine->isInterrupted()) {
    RecordInterruption();
    return LastError.Status;
  }
  // A thrown value that is no Error object leaves only the stack trace to tell of it; a syntax
  // error leaves no frame but is always an Error.
  if (stackTrace.isEmpty() && !(result.isError() && result.errorType() == QJSValue::SyntaxError)) return S_OK;
  RecordError(result, stackTrace);
  return LastError.Status;
}

void TActiveScript::RecordError(const QJSValue& error, const QStringList& stackTrace) {
  const bool plain = !error.isError() || error.property(QStringLiteral("name")).toString() == u"Error";
  // A host object's failure and "throw new Error(...)" read best as their message alone.
  LastError.Description = plain && error.isError() ? error.property(QStringLiteral("message")).toString()
                                                   : error.toString();
  const int line = stackTrace.isEmpty() ? error.property(QStringLiteral("lineNumber")).toInt() : ScriptLine(stackTrace);
  LastError.Line = static_cast<std::uint32_t>(qMax(line - 1, 0));
  LastError.Column = error.property(QStringLiteral("columnNumber")).toInt();
  LastError.SourceLine = Code.split(u'\n').value(static_cast<int>(LastError.Line)).remove(u'\r');
  LastError.Status = SCRIPT_E_REPORTED;
}

// The engine unwinds an interrupted run without an exception, so nothing tells where it was.
void TActiveScript::RecordInterruption() {
  LastError = TScriptError();
  LastError.Description = QStringLiteral("The script was interrupted.");
  LastError.Status = E_ABORT;
}

HRESULT TActiveScript::Close() {
  if (!Engine) return E_FAIL;
  Engine.reset();
  Items.clear();
  return S_OK;
}

// The caller stops interrupting before it closes the host.
void TActiveScript::Interrupt() {
  if (QJSEngine* engine = RunningEngine.load()) engine->setInterrupted(true);
}
