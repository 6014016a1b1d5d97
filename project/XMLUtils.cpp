#include "project/XMLUtils.h"

#include "generator/InkloomError.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <algorithm>

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

namespace {

// Attributes named in order first, in its order, then the rest by name.
QStringList OrderedAttributeNames(const QDomElement& element, const QStringList& order) {
  const QDomNamedNodeMap attributes = element.attributes();
  QStringList names;
  for (int i = 0; i < attributes.count(); ++i) names.append(attributes.item(i).nodeName());
  auto rank = [&order](const QString& name) {
    const qsizetype index = order.indexOf(name);
    return index < 0 ? order.size() : index;
  };
  std::sort(names.begin(), names.end(), [&rank](const QString& a, const QString& b) {
    return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
  });
  return names;
}

bool IsBlank(const QString& text) {
  for (QChar c : text)
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') return false;
  return !text.isEmpty();
}

void WriteNode(QXmlStreamWriter& writer, const QDomNode& node, const QStringList& order);

void WriteElement(QXmlStreamWriter& writer, const QDomElement& element, const QStringList& order) {
  writer.writeStartElement(element.tagName());
  for (const QString& name : OrderedAttributeNames(element, order))
    writer.writeAttribute(name, element.attribute(name));
  for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
    WriteNode(writer, child, order);
  writer.writeEndElement();
}

void WriteNode(QXmlStreamWriter& writer, const QDomNode& node, const QStringList& order) {
  switch (node.nodeType()) {
    case QDomNode::ElementNode:
      WriteElement(writer, node.toElement(), order);
      break;
    case QDomNode::TextNode:
      // A parser drops text of white space only; a CDATA section it keeps.
      if (IsBlank(node.nodeValue()))
        writer.writeCDATA(node.nodeValue());
      else
        writer.writeCharacters(node.nodeValue());
      break;
    case QDomNode::CDATASectionNode:
      writer.writeCDATA(node.nodeValue());
      break;
    case QDomNode::CommentNode:
      writer.writeComment(node.nodeValue());
      break;
    default:  // the declaration is written apart; nothing else is made by this program
      break;
  }
}

}  // namespace

qsizetype FindInvalidXmlCharacter(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') return i;
    if (c == 0xFFFE || c == 0xFFFF) return i;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      ++i;
      continue;
    }
    if (QChar::isSurrogate(c)) return i;
  }
  return -1;
}

QByteArray XmlDocumentBytes(const QDomDocument& document, const QStringList& attributeOrder) {
  QByteArray body;
  QXmlStreamWriter writer(&body);
  writer.setAutoFormatting(true);
  writer.setAutoFormattingIndent(1);
  WriteElement(writer, document.documentElement(), attributeOrder);
  if (writer.hasError())
    throw EInkloomError("The document holds a character that an XML file cannot store.");
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n") + body;
}

void SaveXmlFile(const QDomDocument& document, const QString& fileName,
                 const QStringList& attributeOrder) {
  if (document.isNull()) return;
  const QByteArray bytes = XmlDocumentBytes(document, attributeOrder);
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
