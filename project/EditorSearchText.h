#pragma once

// The find dialog: the search text with its history, the options and the direction. The replace
// dialog derives from it. On OK, before it closes, the dialog puts its texts at the top of their
// histories. The regular-expression box cannot be set: it starts cleared each time.

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QRadioButton;
class TLocalStrings;

class TTextSearchDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TTextSearchDialog(QWidget* parent = nullptr);

  bool SearchBackwards() const;
  void SetSearchBackwards(bool backwards);
  bool SearchCaseSensitive() const;
  void SetSearchCaseSensitive(bool value);
  bool SearchWholeWords() const;
  void SetSearchWholeWords(bool value);
  bool SearchFromCaret() const;
  void SetSearchFromCaret(bool value);
  bool SearchSelectionOnly() const;
  void SetSearchSelectionOnly(bool value);
  bool SearchRegularExpression() const;
  QString SearchText() const;
  void SetSearchText(const QString& text);
  // The history string (TSearchHistory): its texts become the list of the search text.
  QString SearchTextHistory() const;
  void SetSearchTextHistory(const QString& history);

  void accept() override;

 protected:
  // For the replace dialog: builds the controls with that text table; the caller adds its own
  // rows to TextRows, then calls Finish.
  TTextSearchDialog(QWidget* parent, const QString& section);
  void Finish(int height);
  virtual void UpdateHistories();
  QComboBox* AddTextRow(const char* labelName, const char* comboName);
  static QStringList Items(const QComboBox* combo);
  static QString History(const QComboBox* combo);
  static void SetHistory(QComboBox* combo, const QString& history);
  static void AddToHistory(QComboBox* combo);

  QGridLayout* TextRows = nullptr;

 private:
  TLocalStrings* LocalStrings = nullptr;
  QComboBox* cbSearchText = nullptr;
  QGroupBox* gbSearchOptions = nullptr;
  QCheckBox* cbSearchCaseSensitive = nullptr;
  QCheckBox* cbSearchWholeWords = nullptr;
  QCheckBox* cbSearchFromCursor = nullptr;
  QCheckBox* cbSearchSelectedOnly = nullptr;
  QCheckBox* cbRegularExpression = nullptr;
  QGroupBox* rgSearchDirection = nullptr;
  QRadioButton* ForwardButton = nullptr;
  QRadioButton* BackwardButton = nullptr;

  QCheckBox* AddOption(const char* name);
  void OrderTextRows();
  QGroupBox* CreateOptions();
  QGroupBox* CreateDirection();
  QLayout* CreateButtons();
};
