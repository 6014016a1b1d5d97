#pragma once

// A free-standing text object: an editor object over lines of its own, empty at first, shown
// nowhere and freed with the object. Editor.New makes one.

#include "automation/Editor.h"
#include "automation/StringLines.h"

namespace Automation {

class TTextObject : public TEditor {
  Q_OBJECT
 public:
  explicit TTextObject(QObject* owner = nullptr);

 private:
  // Made after the editor part, which only keeps the reference until a member runs.
  TStringLines OwnLines;
};

}  // namespace Automation
