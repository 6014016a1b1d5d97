#pragma once

// The small set of XML operations every XML document of the program is built and read with
// (the project file, a theme's info.xml). Whoever works on a document's elements keeps the
// QDomDocument: its elements live only as long as it does. Operations on a null element do
// nothing or give their default; empty values are never written.

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QStringList>

// A document with the declaration version="1.0" encoding="utf-8" and an empty root element.
QDomDocument NewXmlDocument(const QString& rootName);
// False (and a null document) when the file cannot be read or is not well-formed XML.
bool LoadXmlFile(const QString& fileName, QDomDocument& document);
bool LoadXmlText(const QString& text, QDomDocument& document);
// The bytes SaveXmlFile writes: the declaration version="1.0" encoding="utf-8", then the
// document in UTF-8. Each element's attributes come in the order of attributeOrder, the others
// after them by name, so an unchanged document always gives the same bytes. A text of white
// space only is written as a CDATA section, which readers keep. Raises EInkloomError for a
// character XML 1.0 cannot hold.
QByteArray XmlDocumentBytes(const QDomDocument& document, const QStringList& attributeOrder = {});
// Writes the document to a temporary file and renames it over fileName, so a failed write
// never leaves a damaged file; raises EInkloomError on failure.
void SaveXmlFile(const QDomDocument& document, const QString& fileName,
                 const QStringList& attributeOrder = {});
// The first character of text that XML 1.0 cannot hold (C0 controls other than tab, LF and
// CR, U+FFFE, U+FFFF, a surrogate without its pair), or -1.
qsizetype FindInvalidXmlCharacter(const QString& text);

QDomElement AddChildElement(QDomElement& element, const QString& name);
QDomElement FindChildElement(const QDomElement& element, const QString& name);
QString GetChildText(const QDomElement& element, const QString& name, const QString& defaultText);
// Only for a text that is not empty: the first child of that name (made when missing) gets it.
QDomElement SetChildText(QDomElement& element, const QString& name, const QString& text);

QString GetAttributeText(const QDomElement& element, const QString& name,
                         const QString& defaultText);
// True exactly for the value "1".
bool GetAttributeFlag(const QDomElement& element, const QString& name);
void SetAttributeText(QDomElement& element, const QString& name, const QString& value);
// Writes "1" for true; false changes nothing.
void SetAttributeFlag(QDomElement& element, const QString& name, bool flag);
