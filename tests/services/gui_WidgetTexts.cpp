// Text tables applied to real widgets: captions, hints and list items of a dialog.

#include "services/LocalStrings.h"
#include "services/Localizer.h"
#include "services/WidgetTextAdapter.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A find dialog built the way the search dialogs are: a radio group of two buttons.
class TFindDialog : public QDialog {
 public:
  TFindDialog() {
    setObjectName(QStringLiteral("TextSearchDialog"));
    Table = new TLocalStrings(this);
    auto* layout = new QVBoxLayout(this);
    Label = Add<QLabel>(layout, "SearchLabel");
    Direction = Add<QGroupBox>(layout, "rgSearchDirection");
    auto* directionLayout = new QVBoxLayout(Direction);
    for (int i = 0; i < 2; ++i) directionLayout->addWidget(new QRadioButton(Direction));
    Words = Add<QCheckBox>(layout, "cbSearchWholeWords");
    Ok = Add<QPushButton>(layout, "btnOK");
    History = Add<QComboBox>(layout, "cbSearchText");
    History->addItems({QStringLiteral("one"), QStringLiteral("two")});
    Table->SetTableText(QStringLiteral(
        "[1033]\nTextSearchDialog.Caption=Search Text\nSearchLabel.Caption=&Search for:\n"
        "rgSearchDirection.Caption=Direction\nrgSearchDirection.Items[0]=&Forward\n"
        "rgSearchDirection.Items[1]=&Backward\nrgSearchDirection.Items[2]=&Sideways\n"
        "cbSearchWholeWords.Caption=&Whole words only\ncbSearchWholeWords.Hint=Whole|Only whole words\n"
        "btnOK.Caption=OK\ncbSearchText.Items[1]=zwei\n"
        "[1049]\nTextSearchDialog.Caption=Найти текст\nrgSearchDirection.Items[1]=Назад\n"));
    Table->Loaded();
  }

  template <class TWidget>
  TWidget* Add(QVBoxLayout* layout, const char* name) {
    auto* widget = new TWidget(this);
    widget->setObjectName(QString::fromLatin1(name));
    layout->addWidget(widget);
    return widget;
  }

  QRadioButton* DirectionButton(int index) const {
    return Direction->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly)[index];
  }

  TLocalStrings* Table;
  QLabel* Label;
  QGroupBox* Direction;
  QCheckBox* Words;
  QPushButton* Ok;
  QComboBox* History;
};

class WidgetTextsTest : public ::testing::Test {
 protected:
  TLocalizer Localizer;
  void SetUp() override {
    TWidgetTextAdapter::Install();
    Localizer.SetDefaultLangId(1033);
    Localizer.SetLangId(1033);
  }
  void TearDown() override {
    Localizer.SetLangId(0);
    Localizer.SetDefaultLangId(0);
  }
};

TEST_F(WidgetTextsTest, ADialogTakesItsTextsInTheCurrentLanguage) {
  TFindDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Search Text"));
  EXPECT_EQ(dialog.Label->text(), QStringLiteral("&Search for:"));
  EXPECT_EQ(dialog.Direction->title(), QStringLiteral("Direction"));
  EXPECT_EQ(dialog.DirectionButton(0)->text(), QStringLiteral("&Forward"));
  EXPECT_EQ(dialog.DirectionButton(1)->text(), QStringLiteral("&Backward"));
  EXPECT_EQ(dialog.Words->text(), QStringLiteral("&Whole words only"));
  EXPECT_EQ(dialog.Words->toolTip(), QStringLiteral("Whole"));
  EXPECT_EQ(dialog.Words->statusTip(), QStringLiteral("Only whole words"));
  EXPECT_EQ(dialog.Ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.History->itemText(1), QStringLiteral("zwei"));
  EXPECT_EQ(dialog.History->count(), 2);

  Localizer.SetLangId(1049);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Найти текст"));
  EXPECT_EQ(dialog.DirectionButton(1)->text(), QStringLiteral("Назад"));
  EXPECT_EQ(dialog.Ok->text(), QStringLiteral("OK"));

  TFindDialog later;
  EXPECT_EQ(later.windowTitle(), QStringLiteral("Найти текст"));
}

TEST_F(WidgetTextsTest, CaptionsOfMenusPanelsListsAndTheEditingView) {
  QMainWindow window;
  window.setObjectName(QStringLiteral("MainForm"));
  auto* table = new TLocalStrings(&window);
  auto* menu = new QMenu(&window);
  menu->setObjectName(QStringLiteral("FileMenu"));
  auto* panel = new QDockWidget(&window);
  panel->setObjectName(QStringLiteral("ContentPanel"));
  auto* list = new QListWidget(&window);
  list->setObjectName(QStringLiteral("Pages"));
  list->addItem(QStringLiteral("index.html"));
  table->SetTableText(QStringLiteral("[1033]\nMainForm.Caption=Inkloom\nFileMenu.Caption=File\n"
                                     "ContentPanel.Caption=Content\nPages.Items[0]=start\n"));
  table->Loaded();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Inkloom"));
  EXPECT_EQ(menu->title(), QStringLiteral("File"));
  EXPECT_EQ(panel->windowTitle(), QStringLiteral("Content"));
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("start"));
  const QStringList view = table->Strings();
  EXPECT_TRUE(view.contains(QStringLiteral("FileMenu.Caption=File")));
  EXPECT_TRUE(view.contains(QStringLiteral("ContentPanel.Caption=Content")));
  EXPECT_TRUE(view.contains(QStringLiteral("Pages.Items[0]=start")));
  EXPECT_EQ(view.first(), QStringLiteral("[1033]"));
}

TEST_F(WidgetTextsTest, FileDialogsTakeTheirFiltersTitlesAndExtensions) {
  QWidget window;
  window.setObjectName(QStringLiteral("ScriptEditForm"));
  auto* table = new TLocalStrings(&window);
  auto* dialog = new QFileDialog(&window);
  dialog->setObjectName(QStringLiteral("SaveDialog"));
  table->SetTableText(QStringLiteral(
      "[1033]\nSaveDialog.Filter=Script Files (*.js)|*.JS|All Files (*.*)|*.*\n"
      "SaveDialog.Title=Save Script\nSaveDialog.DefaultExt=.js\n"));
  table->Loaded();
  EXPECT_EQ(dialog->nameFilters(), (QStringList{"Script Files (*.js *.JS)", "All Files (*.*)"}));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Script"));
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("js"));
  EXPECT_EQ(TWidgetTextAdapter::NameFilters(QStringLiteral("All image files|*.jpg;*.png;*.gif")),
            QStringList{"All image files (*.jpg *.png *.gif)"});
}

}  // namespace
