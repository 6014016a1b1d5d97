#include "project/XMLUtils.h"

#include "generator/InkloomError.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>

namespace {

bool ParseDocument(const QByteArray& bytes, QDomElement& root) {
  QDomDocument document;
  if (!document.setContent(bytes)) {
    root = QDomElement();
    return false;
  }
  root = document.documentElement();
  return !root.isNull();
}

}  // namespace

QDomElement NewXmlDocument(const QString& rootName) {
  QDomDocument document;
  QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><%1></%1>").arg(rootName);
  if (!document.setContent(text))
    throw EInkloomError("Cannot create an XML document with the root \"" + rootName.toStdString() +
                        "\".");
  return document.documentElement();
}

bool LoadXmlFile(const QString& fileName, QDomElement& root) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    root = QDomElement();
    return false;
  }
  return ParseDocument(file.readAll(), root);
}

bool LoadXmlText(const QString& text, QDomElement& root) {
  // The text is decoded already: an encoding named in its declaration must not apply again.
  QDomDocument document;
  root = document.setContent(text) ? document.documentElement() : QDomElement();
  return !root.isNull();
}

void SaveXmlFile(const QDomElement& element, const QString& fileName) {
  if (element.isNull()) return;
  QByteArray bytes = element.ownerDocument().toByteArray();
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
