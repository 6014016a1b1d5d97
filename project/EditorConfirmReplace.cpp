#include "project/EditorConfirmReplace.h"

#include "project/MatchPlacement.h"
#include "services/LocalStrings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TConfirmReplaceDialog* ConfirmReplaceDialog = nullptr;

TConfirmReplaceDialog::TConfirmReplaceDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ConfirmReplaceDialog"));
  LocalStrings = new TLocalStrings(this, QStringLiteral("ConfirmReplaceDialog"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(CreateQuestion());
  layout->addLayout(CreateButtons());
  LocalStrings->Loaded();
  Fit();
}

QLayout* TConfirmReplaceDialog::CreateQuestion() {
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image1"));
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  lblConfirmation = new QLabel(this);
  lblConfirmation->setObjectName(QStringLiteral("lblConfirmation"));
  lblConfirmation->setWordWrap(true);
  lblConfirmation->setTextFormat(Qt::PlainText);
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(lblConfirmation, 1);
  return row;
}

QLayout* TConfirmReplaceDialog::CreateButtons() {
  auto* row = new QHBoxLayout;
  row->addStretch();
  AddButton(row, "btnReplace", caYes)->setDefault(true);
  AddButton(row, "btnSkip", caNo);
  AddButton(row, "btnCancel", caCancel);
  AddButton(row, "btnReplaceAll", caYesToAll);
  return row;
}

// At least 328 by 98; a long question makes the dialog taller, not wider.
void TConfirmReplaceDialog::Fit() {
  const int width = std::max(328, sizeHint().width());
  setFixedSize(width, std::max(98, layout()->totalHeightForWidth(width)));
}

TConfirmReplaceDialog::~TConfirmReplaceDialog() {
  if (ConfirmReplaceDialog == this) ConfirmReplaceDialog = nullptr;
}

QPushButton* TConfirmReplaceDialog::AddButton(QBoxLayout* row, const char* name, int answer) {
  auto* button = new QPushButton(this);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
  row->addWidget(button);
  return button;
}

void TConfirmReplaceDialog::PlaceNearMatch(const QRect& area, int x, int top, int bottom, const QString& text) {
  lblConfirmation->setText(FormatText(LocalStrings->GetString(QStringLiteral("Confirmation")), {text}));
  Fit();
  move(TMatchPlacement::NearMatch(area, FrameSize(), x, top, bottom));
}

// Before the dialog was first shown its frame is not known: the title bar is reckoned in, or a
// dialog placed above the match would reach down over it.
QSize TConfirmReplaceDialog::FrameSize() const {
  const QSize frame = frameGeometry().size();
  if (frame != size()) return frame;
  return frame + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
}

QString TConfirmReplaceDialog::Confirmation() const { return lblConfirmation->text(); }
