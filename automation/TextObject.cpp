#include "automation/TextObject.h"

namespace Automation {

TTextObject::TTextObject(QObject* owner) : TEditor(OwnLines, owner) {}

}  // namespace Automation
