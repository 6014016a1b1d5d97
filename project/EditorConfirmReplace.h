#pragma once

// The question before each replacement: Yes, No, Cancel or Yes to all, placed near the match it
// asks about. At most one exists at a time; ConfirmReplaceDialog refers to it while it lives.

#include <QDialog>
#include <QRect>
#include <QString>

class QBoxLayout;
class QLabel;
class QLayout;
class QPushButton;
class TLocalStrings;

class TConfirmReplaceDialog : public QDialog {
  Q_OBJECT
 public:
  // The answers, as exec returns them; closing the dialog otherwise means Cancel too.
  enum TAnswer { caYes = 6, caNo = 7, caCancel = 2, caYesToAll = 10 };

  explicit TConfirmReplaceDialog(QWidget* parent = nullptr);
  ~TConfirmReplaceDialog() override;

  // Shows the question about text and moves the dialog beside the match at x between top and
  // bottom, inside area where it can (TMatchPlacement).
  void PlaceNearMatch(const QRect& area, int x, int top, int bottom, const QString& text);
  QString Confirmation() const;

 private:
  TLocalStrings* LocalStrings = nullptr;
  QLabel* lblConfirmation = nullptr;

  QLayout* CreateQuestion();
  QLayout* CreateButtons();
  QPushButton* AddButton(QBoxLayout* row, const char* name, int answer);
  void Fit();
  QSize FrameSize() const;
};

extern TConfirmReplaceDialog* ConfirmReplaceDialog;
