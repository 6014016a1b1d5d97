#include "preview/PageEncoding.h"

#include "preview/CharsetScanner.h"
#include "project/CodePage.h"

#include <QMimeDatabase>

namespace {

// A sequence's length by its first byte, and the range of its second byte (the others are
// always 80..BF): table 3-7 of the Unicode standard. Length 0: no first byte.
struct TLeadByte {
  int Length;
  unsigned char Low, High;
};

TLeadByte LeadByte(unsigned char b) {
  if (b < 0x80) return {1, 0, 0};
  if (b < 0xC2) return {0, 0, 0};
  if (b < 0xE0) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b < 0xF0) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b < 0xF4) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

bool TPageEncoding::IsText(const QByteArray& contentType) {
  const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(contentType));
  return type.inherits(QStringLiteral("text/plain")) &&
         !type.inherits(QStringLiteral("application/xml"));
}

QByteArray TPageEncoding::Of(const QByteArray& bytes, bool html) {
  if (html) {
    const QByteArray declared = TCharsetScanner(bytes).Declared();
    if (!declared.isEmpty()) return declared;
  }
  if (IsUtf8(QByteArrayView(bytes).first(qMin(bytes.size(), SampleSize))))
    return QByteArrayLiteral("utf-8");
  return QByteArray::fromStdString(TCodePage::Name());
}

bool TPageEncoding::IsUtf8(QByteArrayView bytes) {
  for (qsizetype i = 0; i < bytes.size();) {
    const TLeadByte lead = LeadByte(static_cast<unsigned char>(bytes[i]));
    if (lead.Length == 0) return false;
    for (int k = 1; k < lead.Length; ++k) {
      if (i + k >= bytes.size()) return true;  // cut off by the end
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if (next < (k == 1 ? lead.Low : 0x80) || next > (k == 1 ? lead.High : 0xBF)) return false;
    }
    i += lead.Length;
  }
  return true;
}
