#pragma once

// The replace dialog: the find dialog with the replacement text and its history below the
// search text.

#include "project/EditorSearchText.h"

class TTextReplaceDialog : public TTextSearchDialog {
  Q_OBJECT
 public:
  explicit TTextReplaceDialog(QWidget* parent = nullptr);

  QString ReplaceText() const;
  void SetReplaceText(const QString& text);
  QString ReplaceTextHistory() const;
  void SetReplaceTextHistory(const QString& history);

 protected:
  void UpdateHistories() override;

 private:
  QComboBox* cbReplaceText = nullptr;
};
