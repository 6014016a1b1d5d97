// Action forwarders: binding, keeping the target in step, unbinding.

#include "services/Action.h"
#include "services/ActionHandler.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The module that supplies the command: its method is the forwarder's execute event.
class TPublishing : public QObject {
 public:
  QList<QObject*> Senders;
  void CmUpload(QObject* sender) { Senders.append(sender); }
  void CanUpload(QObject* sender) { static_cast<TAction*>(sender)->SetChecked(true); }
};

class ActionHandlerTest : public ::testing::Test {
 protected:
  TPublishing Publishing;
  TAction Target;  // the application module's UploadAction
  TActionHandler Forwarder{&Publishing};

  void SetUp() override {
    Forwarder.SetCaption(QStringLiteral("Upload"));
    Forwarder.SetImageIndex(15);
    Forwarder.SetOnExecute(TNotifyEvent(&Publishing, &TPublishing::CmUpload));
  }
};

TEST_F(ActionHandlerTest, BindingGivesTheTargetTheForwardersCommand) {
  Target.SetHelpKeyword(QStringLiteral("old"));
  Forwarder.SetGroupIndex(4);
  Forwarder.SetHelpContext(12);
  Forwarder.SetHint(QStringLiteral("Upload|Publishes the site"));
  Forwarder.SetShortCut(QKeySequence(QStringLiteral("Ctrl+U")));
  Forwarder.SetSecondaryShortCuts({QKeySequence(QStringLiteral("F12"))});
  Forwarder.SetAction(&Target);
  EXPECT_EQ(Forwarder.Action(), &Target);
  EXPECT_EQ(Target.Caption(), QStringLiteral("Upload"));
  EXPECT_EQ(Target.ImageIndex(), 15);
  EXPECT_EQ(Target.GroupIndex(), 4);
  EXPECT_EQ(Target.HelpContext(), 12);
  EXPECT_EQ(Target.HelpKeyword(), QString());
  EXPECT_EQ(Target.Hint(), QStringLiteral("Upload|Publishes the site"));
  EXPECT_EQ(Target.shortcuts().size(), 2);

  EXPECT_TRUE(Target.Execute());
  Target.trigger();
  EXPECT_EQ(Publishing.Senders, (QList<QObject*>{&Target, &Target}));
}

TEST_F(ActionHandlerTest, TheTargetFollowsUntilItIsChangedOnItsOwn) {
  Forwarder.SetAction(&Target);
  Forwarder.SetCaption(QStringLiteral("Публикация"));
  Forwarder.SetImageIndex(16);
  Forwarder.SetEnabled(false);
  Forwarder.SetVisible(false);
  Forwarder.SetAutoCheck(true);
  Forwarder.SetChecked(true);
  EXPECT_EQ(Target.Caption(), QStringLiteral("Публикация"));
  EXPECT_EQ(Target.ImageIndex(), 16);
  EXPECT_FALSE(Target.Enabled());
  EXPECT_FALSE(Target.Visible());
  EXPECT_TRUE(Target.Checked());

  Target.SetCaption(QStringLiteral("publication"));  // differs only from now on
  Forwarder.SetCaption(QStringLiteral("Upload"));
  EXPECT_EQ(Target.Caption(), QStringLiteral("publication"));
  Forwarder.SetImageIndex(17);
  EXPECT_EQ(Target.ImageIndex(), 17);

  Forwarder.SetGroupIndex(3);
  Forwarder.SetHelpKeyword(QStringLiteral("upload"));
  EXPECT_EQ(Target.GroupIndex(), 0);
  EXPECT_EQ(Target.HelpKeyword(), QString());
}

TEST_F(ActionHandlerTest, EventsFollowAndTheForwardersOwnEventsNeverFireForIt) {
  int updates = 0;
  const TNotifyEvent update = TNotifyEvent::FromFunction([&](QObject* sender) {
    EXPECT_EQ(sender, &Target);
    ++updates;
  });
  Forwarder.SetOnUpdate(update);
  Forwarder.SetAction(&Target);
  EXPECT_TRUE(Target.Update());
  EXPECT_FALSE(Forwarder.Update());
  EXPECT_EQ(updates, 1);

  Forwarder.SetOnUpdate(TNotifyEvent(&Publishing, &TPublishing::CanUpload));
  Target.SetAutoCheck(true);
  Target.Update();
  EXPECT_TRUE(Target.Checked());
  EXPECT_EQ(updates, 1);

  // A target given its own execute event no longer follows the forwarder's.
  TPublishing other;
  Target.SetOnExecute(TNotifyEvent(&other, &TPublishing::CmUpload));
  Forwarder.SetOnExecute(TNotifyEvent());
  EXPECT_TRUE(Target.Execute());
  EXPECT_EQ(other.Senders.size(), 1);
  EXPECT_TRUE(TNotifyEvent(&other, &TPublishing::CmUpload) == Target.OnExecute());

  Forwarder.SetOnHint(THintEvent::FromFunction([](QString&, bool& canShow) { canShow = false; }));
  QString hint;
  EXPECT_FALSE(Target.DoHint(hint));
  EXPECT_TRUE(Forwarder.DoHint(hint));
}

TEST_F(ActionHandlerTest, UnbindingLeavesTheTargetAsItWas) {
  Forwarder.SetAction(&Target);
  Forwarder.SetAction(&Forwarder);
  EXPECT_EQ(Forwarder.Action(), nullptr);
  Forwarder.SetCaption(QStringLiteral("Other"));
  EXPECT_EQ(Target.Caption(), QStringLiteral("Upload"));
  EXPECT_TRUE(Target.Execute());

  Forwarder.SetAction(&Target);
  TAction second;
  Forwarder.SetAction(&second);
  Forwarder.SetCaption(QStringLiteral("Third"));
  EXPECT_EQ(second.Caption(), QStringLiteral("Third"));
  EXPECT_EQ(Target.Caption(), QStringLiteral("Other"));
  Forwarder.SetAction(nullptr);
  EXPECT_EQ(Forwarder.Action(), nullptr);
  EXPECT_EQ(second.Caption(), QStringLiteral("Third"));
}

// Freed objects must not be reached: a destroyed target unbinds, and the event of a destroyed
// owner does nothing.
TEST_F(ActionHandlerTest, DestroyedTargetsAndOwnersAreNotReached) {
  auto target = std::make_unique<TAction>();
  Forwarder.SetAction(target.get());
  target.reset();
  EXPECT_EQ(Forwarder.Action(), nullptr);
  Forwarder.SetCaption(QStringLiteral("after"));

  auto owner = std::make_unique<TPublishing>();
  TActionHandler forwarder;
  forwarder.SetOnExecute(TNotifyEvent(owner.get(), &TPublishing::CmUpload));
  forwarder.SetAction(&Target);
  owner.reset();
  EXPECT_TRUE(Target.Execute());
}

TEST(MethodEventTest, EventsAreEqualWhenTheyNameTheSameMethodOfTheSameObject) {
  TPublishing a, b;
  EXPECT_TRUE(TNotifyEvent(&a, &TPublishing::CmUpload) == TNotifyEvent(&a, &TPublishing::CmUpload));
  EXPECT_FALSE(TNotifyEvent(&a, &TPublishing::CmUpload) == TNotifyEvent(&b, &TPublishing::CmUpload));
  EXPECT_FALSE(TNotifyEvent(&a, &TPublishing::CmUpload) == TNotifyEvent(&a, &TPublishing::CanUpload));
  EXPECT_TRUE(TNotifyEvent() == TNotifyEvent());
  const TNotifyEvent function = TNotifyEvent::FromFunction([](QObject*) {});
  const TNotifyEvent copy = function;
  EXPECT_TRUE(copy == function);
  EXPECT_FALSE(function == TNotifyEvent::FromFunction([](QObject*) {}));
}

}  // namespace
