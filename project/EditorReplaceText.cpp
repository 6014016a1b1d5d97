#include "project/EditorReplaceText.h"

#include <QComboBox>

TTextReplaceDialog::TTextReplaceDialog(QWidget* parent)
    : TTextSearchDialog(parent, QStringLiteral("TextReplaceDialog")) {
  cbReplaceText = AddTextRow("ReplaceLabel", "cbReplaceText");
  Finish(210);
}

QString TTextReplaceDialog::ReplaceText() const { return cbReplaceText->currentText(); }
void TTextReplaceDialog::SetReplaceText(const QString& text) { cbReplaceText->setEditText(text); }
QString TTextReplaceDialog::ReplaceTextHistory() const { return History(cbReplaceText); }
void TTextReplaceDialog::SetReplaceTextHistory(const QString& history) { SetHistory(cbReplaceText, history); }

void TTextReplaceDialog::UpdateHistories() {
  TTextSearchDialog::UpdateHistories();
  AddToHistory(cbReplaceText);
}
