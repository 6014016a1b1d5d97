#include "automation/ActiveScript.h"

#include "services/LocalStrings.h"

#include <QJSEngine>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

// Makes each name of the item a property of this that forwards to the item, so the script reads
// Editor for Application.Editor and calls Open() for Application.Open(). Accessors rather than
// copies: a property is read afresh each time, and an object it gives passes through view first.
// A write-only property is left out of enumeration (Object.keys, for...in, JSON.stringify),
// which would otherwise read it and fail. A view (see ScriptView) is tagged with the item's
// class, so that errors can name it.
const char kDefineMembers[] = R"((function (item, properties, methods, writeOnly, view, tag) {
  if (tag) Object.defineProperty(this, Symbol.toStringTag, { value: tag });
  for (const name of properties)
    Object.defineProperty(this, name, {
      get() { return view(item[name]); }, set(value) { item[name] = value; },
      configurable: true, enumerable: !writeOnly.includes(name) });
  for (const name of methods)
    Object.defineProperty(this, name, {
      value: function () { return item[name].apply(item, arguments); },
      configurable: true, writable: true });
  return this;
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

// The names of the properties a class declares write-only: Q_CLASSINFO("WriteOnly", "A B").
QStringList WriteOnlyNames(const QMetaObject& type) {
  const int index = type.indexOfClassInfo("WriteOnly");
  if (index < 0) return {};
  return QString::fromLatin1(type.classInfo(index).value()).split(u' ', Qt::SkipEmptyParts);
}

// The file names of the code that makes members and of the script, so that frames can be told
// apart: a failure raised in a host object's member passes through a forwarding function
// first, and a syntax error in eval's text has a frame of that text first.
const QString kMembersFile = QStringLiteral("inkloom-members");
const QString kScriptFile = QStringLiteral("inkloom-script");

// The line of the innermost frame of the script itself. Frames read "function:line:column:file",
// the file as a URL.
int ScriptLine(const QStringList& stackTrace) {
  const QString file = QUrl::fromLocalFile(kScriptFile).toString();
  for (const QString& frame : stackTrace)
    if (frame.section(u':', 3) == file) return qAbs(frame.section(u':', 1, 1).toInt());
  return 0;
}

// The engine's "Property 'X' of object Automation::TEditor(0x...) is not a function" in the
// object model's words: the object's name in the model, and the member.
QString InModelTerms(const QString& description, const QString& noMember) {
  static const QRegularExpression call(
      QStringLiteral("^TypeError: Property '([^']*)' of object (?:\\[object )?(?:\\w+::)*T(\\w+)(?:\\(0x[0-9a-fA-F]+\\)|\\]) "
                     "is not a function$"));
  const QRegularExpressionMatch match = call.match(description);
  if (!match.hasMatch()) return description;
  const QString object = match.captured(2) == u"TextObject" ? QStringLiteral("Editor") : match.captured(2);
  return FormatText(noMember, {object, match.captured(1)});
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
  ForgetEngine();
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
    DefineMembers(Engine->globalObject(), item.Obj);
  else
    Engine->globalObject().setProperty(item.Name, Engine->newQObject(item.Obj));
  return S_OK;
}

QJSValue TActiveScript::DefineMembers(const QJSValue& on, QObject* object, const QString& tag) {
  const QMetaObject& type = *object->metaObject();
  if (Define.isUndefined()) {
    Define = Engine->evaluate(QString::fromLatin1(kDefineMembers), kMembersFile);
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    View = Engine->newQObject(this).property(QStringLiteral("ScriptView"));
  }
  return Define.callWithInstance(on, {Engine->newQObject(object), Engine->toScriptValue(PropertyNames(type)),
                                      Engine->toScriptValue(MethodNames(type)),
                                      Engine->toScriptValue(WriteOnlyNames(type)), View, tag});
}

// The values of an engine go before it.
void TActiveScript::ForgetEngine() {
  Define = View = QJSValue();
  Engine.reset();
}

// Only objects with write-only members need a view; the rest pass as they are.
QJSValue TActiveScript::ScriptView(const QJSValue& value) {
  QObject* object = value.toQObject();
  if (!object || WriteOnlyNames(*object->metaObject()).isEmpty()) return value;
  return DefineMembers(Engine->newObject(), object, QString::fromLatin1(object->metaObject()->className()));
}

HRESULT TActiveScript::Execute(const QString& code) {
  if (!Engine) return E_FAIL;
  LastError.Status = S_OK;
  Code = code;
  Engine->setInterrupted(false);
  RunningEngine = Engine.get();
  QStringList stackTrace;
  const QJSValue result = Engine->evaluate(code, kScriptFile, 1, &stackTrace);
  RunningEngine = nullptr;
  if (Engine->isInterrupted()) {
    RecordInterruption();
    return LastError.Status;
  }
  // Only a thrown value leaves a stack trace (a syntax error too, with the frame of its place):
  // an error object the script caught and left as its last value is no failure.
  if (stackTrace.isEmpty()) return S_OK;
  RecordError(result, stackTrace);
  return LastError.Status;
}

void TActiveScript::RecordError(const QJSValue& error, const QStringList& stackTrace) {
  const bool plain = !error.isError() || error.property(QStringLiteral("name")).toString() == u"Error";
  // A host object's failure and "throw new Error(...)" read best as their message alone.
  LastError.Description = plain && error.isError() ? error.property(QStringLiteral("message")).toString()
                                                   : InModelTerms(error.toString(), NoMemberFormat);
  const int line = ScriptLine(stackTrace);
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
  ForgetEngine();
  Items.clear();
  return S_OK;
}

// The caller stops interrupting before it closes the host.
void TActiveScript::Interrupt() {
  if (QJSEngine* engine = RunningEngine.load()) engine->setInterrupted(true);
}
