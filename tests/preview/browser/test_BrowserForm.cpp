// The preview window on a generated two-level site, in a real embedded browser: what the page
// shows, where its resources come from, and the window's navigation commands.

#include "../SiteFolder.h"
#include "PageScript.h"
#include "QtPrinters.h"
#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/MiscUtils.h"
#include "preview/BrowserForm.h"
#include "preview/BrowserView.h"
#include "preview/PreviewSchemeHandler.h"
#include "preview/SSIPreview.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A one-pixel PNG image.
const QByteArray kDot = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");

class BrowserFormTest : public ::testing::Test {
 protected:
  TSiteFolder Site;
  TSSIPreviewModule Preview;
  std::unique_ptr<TPreviewSchemeHandler> Handler;
  std::unique_ptr<TBrowserForm> Form;

  void SetUp() override {
    Site.Write(QStringLiteral("site/template/index.html"),
               "<!DOCTYPE html><html><head><title>{title}</title>"
               "<link rel=\"stylesheet\" href=\"{root}style.css\"></head>"
               "<body><!--#include virtual=\"/menu.inc\"-->{content}</body></html>");
    Site.Write(QStringLiteral("site/template/style.css"), "body { color: rgb(255, 0, 0); }");
    Site.Write(QStringLiteral("site/template/img/dot.png"), kDot);
    Site.Write(QStringLiteral("site/site.txt"),
               "$root\n$uses img/dot.png\n"
               "[menu.inc]\n<ul id=\"menu\"><li>Menu</li></ul>\n"
               "[index.html]\n$title Home page\n<a id=\"sub\" href=\"sub/page.html\">Deeper</a>\n"
               "<a id=\"out\" href=\"about.html\" target=\"_blank\">About</a>\n"
               "[about.html]\n$title About us\nAbout\n"
               "[sub/index.html]\n$root ../\n$title Sub index\n<a id=\"deep\" href=\"page.html\">Deep</a>\n"
               "[sub/page.html]\n$root ../\n$title Deep page\n<img id=\"dot\" src=\"../img/dot.png\">\n"
               // Cyrillic in pages whose template declares no charset, in UTF-8 and in the code page.
               "[ru.html]\n\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n"
               "[ru1251.html]\n$charset windows-1251\n\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n");
    THTMLGenerator generator;
    ASSERT_EQ(BuildProject(Site.Path(QStringLiteral("site/site.txt")), QString(), generator), 0);
    Preview.SetPreviewFolder(FileSystemPath(generator.GetOutputFolder()));

    Form = std::make_unique<TBrowserForm>(nullptr);
    Handler = std::make_unique<TPreviewSchemeHandler>(Preview);
    Form->Profile()->installUrlSchemeHandler(TPreviewSchemeHandler::SchemeName, Handler.get());
    Form->show();
  }
  void TearDown() override {
    Form.reset();
    Handler.reset();
  }

  // Runs an action (a navigation) and waits for the document it brings to finish loading.
  bool Load(const std::function<void()>& navigate) {
    QSignalSpy complete(Form.get(), &TBrowserForm::DocumentComplete);
    navigate();
    if (complete.isEmpty() && !complete.wait(30000)) return false;
    return complete.takeFirst().at(1).toBool();
  }
  bool Open(const QString& address) {
    return Load([&] { Form->Navigate(address); });
  }
  // The value of a script expression in the shown page.
  QVariant Evaluate(const QString& script) { return EvaluateInPage(Form->Browser()->page(), script); }
  // A click of the mouse on an element of the page, as the user makes it.
  bool Click(const QString& id) {
    const QPoint point = Centre(id);
    if (point.x() < 0) return false;
    QTest::mouseClick(Form->Browser()->focusProxy(), Qt::LeftButton, Qt::NoModifier, point);
    return true;
  }
  QPoint Centre(const QString& id) {
    const QVariantList centre = Evaluate(QStringLiteral(
        "(function(){var r=document.getElementById('%1').getBoundingClientRect();"
        "return [Math.round(r.left + r.width / 2), Math.round(r.top + r.height / 2)];})()").arg(id)).toList();
    return centre.size() == 2 ? QPoint(centre[0].toInt(), centre[1].toInt()) : QPoint(-1, -1);
  }
  QString Address() const {
    return Form->findChild<QLineEdit*>(QStringLiteral("AddressEditItem"))->text();
  }
  QAction* Action(const char* name) const { return Form->findChild<QAction*>(QLatin1String(name)); }
};

}  // namespace

TEST_F(BrowserFormTest, ShowsThePageWithItsIncludesTitleAndAddress) {
  EXPECT_TRUE(Address().isEmpty());
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Home page"));
  EXPECT_EQ(Address(), QStringLiteral("preview:/index.html"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('menu').textContent")).toString(),
            QStringLiteral("Menu"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.documentElement.innerHTML.indexOf('#include')")).toInt(), -1);
  EXPECT_EQ(Evaluate(QStringLiteral("navigator.userAgent")).toString(), QStringLiteral("Inkloom120"));
  // The folders' default documents; a folder asked without its slash is sent to the folder, so
  // that its page's links stay inside it.
  ASSERT_TRUE(Open(QStringLiteral("preview:")));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Home page"));
  ASSERT_TRUE(Open(QStringLiteral("preview:sub")));
  EXPECT_EQ(Address(), QStringLiteral("preview:/sub/"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('deep').href")).toString(),
            QStringLiteral("preview:/sub/page.html"));
}

TEST_F(BrowserFormTest, ShowsCyrillicOfPagesWithoutADeclarationInEitherEncoding) {
  for (const char* page : {"preview:ru.html", "preview:ru1251.html"}) {
    ASSERT_TRUE(Open(QLatin1String(page))) << page;
    EXPECT_TRUE(Evaluate(QStringLiteral("document.body.innerText")).toString().contains(
        QString::fromUtf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82")))
        << page;
  }
}

TEST_F(BrowserFormTest, APageInASubFolderReachesItsImageAndStyleSheet) {
  ASSERT_TRUE(Open(QStringLiteral("preview:sub/page.html")));
  EXPECT_EQ(Address(), QStringLiteral("preview:/sub/page.html"));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Deep page"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('dot').naturalWidth")).toInt(), 1);
  EXPECT_EQ(Evaluate(QStringLiteral("getComputedStyle(document.body).color")).toString(),
            QStringLiteral("rgb(255, 0, 0)"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('menu') !== null")).toBool(), true);
}

TEST_F(BrowserFormTest, BackAndForwardFollowTheHistory) {
  QAction* back = Action("BackAction");
  QAction* forward = Action("ForwardAction");
  // Until the browser has reported, both are enabled.
  EXPECT_TRUE(back->isEnabled());
  EXPECT_TRUE(forward->isEnabled());
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  EXPECT_FALSE(back->isEnabled());
  EXPECT_FALSE(forward->isEnabled());

  ASSERT_TRUE(Load([&] { ASSERT_TRUE(Click(QStringLiteral("sub"))); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/sub/page.html"));
  EXPECT_TRUE(back->isEnabled());
  EXPECT_FALSE(forward->isEnabled());

  ASSERT_TRUE(Load([&] { back->trigger(); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/index.html"));
  EXPECT_FALSE(back->isEnabled());
  EXPECT_TRUE(forward->isEnabled());

  ASSERT_TRUE(Load([&] { forward->trigger(); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/sub/page.html"));
  EXPECT_TRUE(back->isEnabled());
  EXPECT_FALSE(forward->isEnabled());
}

TEST_F(BrowserFormTest, ALinkToANewWindowOpensInThisOne) {
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  ASSERT_TRUE(Load([&] { ASSERT_TRUE(Click(QStringLiteral("out"))); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/about.html"));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("About us"));
}

TEST_F(BrowserFormTest, TheAddressBoxNavigatesAndGoServesChangedFilesAfresh) {
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  auto* address = Form->findChild<QLineEdit*>(QStringLiteral("AddressEditItem"));
  address->setText(QStringLiteral("preview:about.html"));
  ASSERT_TRUE(Load([&] { QTest::keyClick(address, Qt::Key_Return); }));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("About us"));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('menu').textContent")).toString(),
            QStringLiteral("Menu"));

  // The included file changes on disk; Go shows the page with the new contents.
  Site.Write(QStringLiteral("site/html/menu.inc"), "<ul id=\"menu\"><li>Changed</li></ul>");
  ASSERT_TRUE(Load([&] { Action("RefreshAction")->trigger(); }));
  EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('menu').textContent")).toString(),
            QStringLiteral("Changed"));

  // Blank text navigates nowhere.
  address->setText(QStringLiteral("   "));
  QSignalSpy started(Form->Browser(), &QWebEngineView::loadStarted);
  QTest::keyClick(address, Qt::Key_Return);
  EXPECT_FALSE(started.wait(500));
}

TEST_F(BrowserFormTest, KeysWorkFromThePage) {
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  ASSERT_TRUE(Load([&] { ASSERT_TRUE(Click(QStringLiteral("sub"))); }));
  QWidget* page = Form->Browser()->focusProxy();
  page->setFocus();
  ASSERT_TRUE(Load([&] { QTest::keyClick(page, Qt::Key_Left, Qt::AltModifier); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/index.html"));
  ASSERT_TRUE(Load([&] { QTest::keyClick(page, Qt::Key_Right, Qt::AltModifier); }));
  EXPECT_EQ(Address(), QStringLiteral("preview:/sub/page.html"));
  QTest::keyClick(page, Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(Form->findChild<QLineEdit*>(QStringLiteral("AddressEditItem"))->hasFocus());
  page->setFocus();
  // Esc closes the window while the page has the keyboard.
  QTest::keyClick(page, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Form->isVisible(); }, 10000));
}

TEST_F(BrowserFormTest, AMissingPageFailsInTheBrowser) {
  // "preview:about" looks for "aboutindex.html": a page that is missing says which and how to
  // add it, in the interface's language; other files fail.
  ASSERT_TRUE(Open(QStringLiteral("preview:about")));
  EXPECT_TRUE(Evaluate(QStringLiteral("document.body.innerText")).toString().contains(QStringLiteral("[about]")));
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("This page does not exist yet"));  // the language in use here
  EXPECT_FALSE(Open(QStringLiteral("preview:../site.txt")));
  EXPECT_FALSE(Open(QStringLiteral("preview:/%2e%2e/site.txt")));
}

TEST_F(BrowserFormTest, TheStatusBarShowsTheLinkUnderTheMouse) {
  ASSERT_TRUE(Open(QStringLiteral("preview:index.html")));
  const QPoint link = Centre(QStringLiteral("sub"));
  ASSERT_GE(link.x(), 0);
  QSignalSpy hovered(Form->Browser()->page(), &QWebEnginePage::linkHovered);
  QTest::mouseMove(Form->Browser()->focusProxy(), link);
  ASSERT_TRUE(hovered.wait(10000));
  auto* panel = Form->findChild<QWidget*>(QStringLiteral("StatusPanel"));
  EXPECT_EQ(panel->property("toolTip").toString(), QStringLiteral("preview:/sub/page.html"));
}
