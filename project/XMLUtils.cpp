#include "project/XMLUtils.h"

#include "generator/InkloomError.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>

namespace {

bool Parsed(bool ok, QDomDocument& parsed, QDomDocument& document) {
  document = ok && !parsed.documentElement().isNull() ? parsed : QDomDocument();
  return !document.isNull();
}

}  // namespace

QDomDocument NewXmlDocument(const QString& rootName) {
  QDomDocument document;
  QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><%1></%1>").arg(rootName);
  if (!document.setContent(text))
    throw EInkloomError("Cannot create an XML document with the root \"" + rootName.toStdString() +
                        "\".");
  return document;
}

bool LoadXmlFile(const QString& fileName, QDomDocument& document) {
  QFile file(fileName);
  QDomDocument parsed;
  return Parsed(file.open(QIODevice::ReadOnly) && parsed.setContent(file.readAll()), parsed, document);
}

bool LoadXmlText(const QString& text, QDomDocument& document) {
  // The text is decoded already: an encoding named in its declaration must not apply again.
  QDomDocument parsed;
  return Parsed(parsed.setContent(text), parsed, document);
}

void SaveXmlFile(const QDomDocument& document, const QString& fileName) {
  if (document.isNull()) return;
  QByteArray bytes = document.toByteArray();
  // The declaration is written with double quotes, as every XML file of the program has it.
  if (bytes.startsWith("<?xml ")) {
    qsizetype end = bytes.indexOf("?>");
    if (end > 0) bytes.replace(0, end, bytes.left(end).replace('\'', '"'));
  }
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    throw EInkloomError("Cannot write file \"" + fileName.toStdString() + "\". " +
                        file.errorString().toStdString());
}

QDomElement AddChildElement(QDomElement& element, const QString& name) {
  if (element.isNull()) return QDomElement();
  QDomElement child = element.ownerDocument().createElement(name);
  element.appendChild(child);
  return child;
}

QDomElement FindChildElement(const QDomElement& element, const QString& name) {
  if (element.isNull()) return QDomElement();
  return element.firstChildElement(name);
}

QString GetChildText(const QDomElement& element, const QString& name, const QString& defaultText) {
  QDomElement child = FindChildElement(element, name);
  return child.isNull() ? defaultText : child.text();
}

QDomElement SetChildText(QDomElement& element, const QString& name, const QString& text) {
  if (element.isNull() || text.isEmpty()) return QDomElement();
  QDomElement child = FindChildElement(element, name);
  if (child.isNull()) child = AddChildElement(element, name);
  while (!child.firstChild().isNull()) child.removeChild(child.firstChild());
  child.appendChild(element.ownerDocument().createTextNode(text));
  return child;
}

QString GetAttributeText(const QDomElement& element, const QString& name,
                         const QString& defaultText) {
  if (element.isNull() || !element.hasAttribute(name)) return defaultText;
  return element.attribute(name);
}

bool GetAttributeFlag(const QDomElement& element, const QString& name) {
  return GetAttributeText(element, name, QString()) == QLatin1String("1");
}

void SetAttributeText(QDomElement& element, const QString& name, const QString& value) {
  if (element.isNull() || value.isEmpty()) return;
  element.setAttribute(name, value);
}

void SetAttributeFlag(QDomElement& element, const QString& name, bool flag) {
  if (flag) SetAttributeText(element, name, QStringLiteral("1"));
}
