#include "project/EditorSearchText.h"

#include "project/SearchHistory.h"
#include "services/LocalStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TTextSearchDialog::TTextSearchDialog(QWidget* parent) : TTextSearchDialog(parent, QStringLiteral("TextSearchDialog")) {
  Finish(180);
}

TTextSearchDialog::TTextSearchDialog(QWidget* parent, const QString& section) : QDialog(parent) {
  setObjectName(section);
  LocalStrings = new TLocalStrings(this, section);
  auto* layout = new QVBoxLayout(this);
  TextRows = new QGridLayout;
  TextRows->setColumnStretch(1, 1);
  layout->addLayout(TextRows);
  cbSearchText = AddTextRow("SearchLabel", "cbSearchText");
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(CreateOptions(), 1);
  boxes->addWidget(CreateDirection(), 0, Qt::AlignTop);
  layout->addLayout(boxes);
  layout->addStretch();
  layout->addLayout(CreateButtons());
}

// The texts come from the table in the language in use; longer texts widen the fixed size.
void TTextSearchDialog::Finish(int height) {
  OrderTextRows();
  LocalStrings->Loaded();
  setFixedSize(sizeHint().expandedTo(QSize(332, height)));
}

// Rows added after the options would come after them on Tab: each follows the row above.
void TTextSearchDialog::OrderTextRows() {
  QWidget* above = nullptr;
  for (int row = 0; row < TextRows->rowCount(); ++row) {
    QLayoutItem* item = TextRows->itemAtPosition(row, 1);
    if (!item) continue;  // an empty grid counts one row before any is added
    if (above) setTabOrder(above, item->widget());
    above = item->widget();
  }
}

QComboBox* TTextSearchDialog::AddTextRow(const char* labelName, const char* comboName) {
  const int row = TextRows->rowCount();
  auto* label = new QLabel(this);
  label->setObjectName(QLatin1String(labelName));
  auto* combo = new QComboBox(this);
  combo->setObjectName(QLatin1String(comboName));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);  // the history changes only on OK
  label->setBuddy(combo);
  TextRows->addWidget(label, row, 0);
  TextRows->addWidget(combo, row, 1);
  return combo;
}

QCheckBox* TTextSearchDialog::AddOption(const char* name) {
  auto* box = new QCheckBox(gbSearchOptions);
  box->setObjectName(QLatin1String(name));
  gbSearchOptions->layout()->addWidget(box);
  return box;
}

QGroupBox* TTextSearchDialog::CreateOptions() {
  gbSearchOptions = new QGroupBox(this);
  gbSearchOptions->setObjectName(QStringLiteral("gbSearchOptions"));
  new QVBoxLayout(gbSearchOptions);
  cbSearchCaseSensitive = AddOption("cbSearchCaseSensitive");
  cbSearchWholeWords = AddOption("cbSearchWholeWords");
  cbSearchFromCursor = AddOption("cbSearchFromCursor");
  cbSearchSelectedOnly = AddOption("cbSearchSelectedOnly");
  cbRegularExpression = AddOption("cbRegularExpression");
  return gbSearchOptions;
}

// A radio group: its two buttons are its items 0 and 1 in the text table.
QGroupBox* TTextSearchDialog::CreateDirection() {
  rgSearchDirection = new QGroupBox(this);
  rgSearchDirection->setObjectName(QStringLiteral("rgSearchDirection"));
  auto* layout = new QVBoxLayout(rgSearchDirection);
  ForwardButton = new QRadioButton(rgSearchDirection);
  BackwardButton = new QRadioButton(rgSearchDirection);
  layout->addWidget(ForwardButton);
  layout->addWidget(BackwardButton);
  ForwardButton->setChecked(true);
  return rgSearchDirection;
}

QLayout* TTextSearchDialog::CreateButtons() {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (const char* name : {"btnOK", "btnCancel"}) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(name));
    row->addWidget(button);
  }
  auto* ok = findChild<QPushButton*>(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(findChild<QPushButton*>(QStringLiteral("btnCancel")), &QPushButton::clicked, this, &QDialog::reject);
  return row;
}

bool TTextSearchDialog::SearchBackwards() const { return BackwardButton->isChecked(); }
void TTextSearchDialog::SetSearchBackwards(bool backwards) {
  (backwards ? BackwardButton : ForwardButton)->setChecked(true);
}
bool TTextSearchDialog::SearchCaseSensitive() const { return cbSearchCaseSensitive->isChecked(); }
void TTextSearchDialog::SetSearchCaseSensitive(bool value) { cbSearchCaseSensitive->setChecked(value); }
bool TTextSearchDialog::SearchWholeWords() const { return cbSearchWholeWords->isChecked(); }
void TTextSearchDialog::SetSearchWholeWords(bool value) { cbSearchWholeWords->setChecked(value); }
bool TTextSearchDialog::SearchFromCaret() const { return cbSearchFromCursor->isChecked(); }
void TTextSearchDialog::SetSearchFromCaret(bool value) { cbSearchFromCursor->setChecked(value); }
bool TTextSearchDialog::SearchSelectionOnly() const { return cbSearchSelectedOnly->isChecked(); }
void TTextSearchDialog::SetSearchSelectionOnly(bool value) { cbSearchSelectedOnly->setChecked(value); }
bool TTextSearchDialog::SearchRegularExpression() const { return cbRegularExpression->isChecked(); }
QString TTextSearchDialog::SearchText() const { return cbSearchText->currentText(); }
void TTextSearchDialog::SetSearchText(const QString& text) { cbSearchText->setEditText(text); }
QString TTextSearchDialog::SearchTextHistory() const { return History(cbSearchText); }
void TTextSearchDialog::SetSearchTextHistory(const QString& history) { SetHistory(cbSearchText, history); }

QStringList TTextSearchDialog::Items(const QComboBox* combo) {
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries.append(combo->itemText(i));
  return entries;
}

QString TTextSearchDialog::History(const QComboBox* combo) { return TSearchHistory::Text(Items(combo)); }

// The list changes, the text being edited stays.
void TTextSearchDialog::SetHistory(QComboBox* combo, const QString& history) {
  const QString text = combo->currentText();
  combo->clear();
  combo->addItems(TSearchHistory::Entries(history));
  combo->setEditText(text);
}

void TTextSearchDialog::AddToHistory(QComboBox* combo) {
  SetHistory(combo, TSearchHistory::Text(TSearchHistory::Add(Items(combo), combo->currentText())));
}

void TTextSearchDialog::UpdateHistories() { AddToHistory(cbSearchText); }

void TTextSearchDialog::accept() {
  UpdateHistories();
  QDialog::accept();
}
