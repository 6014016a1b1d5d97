#pragma once

// The small set of XML operations every XML document of the program is built and read with
// (the project file, a theme's info.xml). An element keeps its document alive. Operations on a
// null element do nothing or give their default; empty values are never written.

#include <QDomElement>
#include <QString>

QDomElement NewXmlDocument(const QString& rootName);
// False (and a null root) when the file cannot be read or is not well-formed XML.
bool LoadXmlFile(const QString& fileName, QDomElement& root);
bool LoadXmlText(const QString& text, QDomElement& root);
// Writes the whole document of element to a temporary file and renames it over fileName, so a
// failed write never leaves a damaged file; raises EInkloomError on failure.
void SaveXmlFile(const QDomElement& element, const QString& fileName);

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
