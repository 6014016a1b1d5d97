// Actions and multi-cast actions: standard execution, firing order, attaching and detaching.

#include "services/Action.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>
#include <stdexcept>
#include <thread>

namespace {

// Handlers that write their name into a shared log when they run.
class MultiActionTest : public ::testing::Test {
 protected:
  TMultiAction OnSaveAction;
  QStringList Log;

  std::unique_ptr<TMultiActionHandler> Handler(const QString& name) {
    auto handler = std::make_unique<TMultiActionHandler>();
    TMultiActionHandler* self = handler.get();
    handler->SetOnExecute(TNotifyEvent::FromFunction([this, name, self](QObject* sender) {
      EXPECT_EQ(sender, self);
      Log << name;
    }));
    handler->SetMultiAction(&OnSaveAction);
    return handler;
  }
};

TEST_F(MultiActionTest, WithoutHandlersFiringDoesNothing) {
  EXPECT_FALSE(OnSaveAction.Execute());
  EXPECT_TRUE(OnSaveAction.Handlers().isEmpty());
  EXPECT_TRUE(OnSaveAction.Enabled());
}

// OnFileAction is fired by the upload worker: its handlers run there, before Execute returns.
TEST_F(MultiActionTest, HandlersRunOnTheFiringThread) {
  TMultiActionHandler handler;
  std::thread::id ranOn;
  handler.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) { ranOn = std::this_thread::get_id(); }));
  handler.SetMultiAction(&OnSaveAction);
  std::thread::id worker;
  std::thread thread([&] {
    worker = std::this_thread::get_id();
    EXPECT_TRUE(OnSaveAction.Execute());
  });
  thread.join();
  EXPECT_EQ(ranOn, worker);
}

TEST_F(MultiActionTest, HandlersRunInTheOrderOfAttachment) {
  auto a = Handler(QStringLiteral("A"));
  auto b = Handler(QStringLiteral("B"));
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_EQ(Log, (QStringList{"A", "B"}));

  a->SetMultiAction(nullptr);
  a->SetMultiAction(&OnSaveAction);
  a->SetMultiAction(&OnSaveAction);
  Log.clear();
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_EQ(Log, (QStringList{"B", "A"}));
  EXPECT_EQ(a->MultiAction(), &OnSaveAction);
}

TEST_F(MultiActionTest, ADisabledHandlerIsSkipped) {
  auto a = Handler(QStringLiteral("A"));
  auto b = Handler(QStringLiteral("B"));
  a->SetEnabled(false);
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_EQ(Log, QStringList{"B"});
  b->SetEnabled(false);
  EXPECT_FALSE(OnSaveAction.Execute());
  EXPECT_EQ(Log, QStringList{"B"});
  // A handler without an execute event counts as disabled.
  TMultiActionHandler idle;
  idle.SetMultiAction(&OnSaveAction);
  EXPECT_FALSE(OnSaveAction.Execute());
  EXPECT_FALSE(idle.Enabled());
}

TEST_F(MultiActionTest, AnErrorStopsTheFiringAndTheNextFiringStartsAgain) {
  auto a = Handler(QStringLiteral("A"));
  TMultiActionHandler failing;
  bool fail = true;
  failing.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) {
    Log << QStringLiteral("F");
    if (fail) throw std::runtime_error("cannot read the settings");
  }));
  failing.SetMultiAction(&OnSaveAction);
  auto c = Handler(QStringLiteral("C"));
  EXPECT_THROW(OnSaveAction.Execute(), std::runtime_error);
  EXPECT_EQ(Log, (QStringList{"A", "F"}));
  EXPECT_EQ(OnSaveAction.Handlers().size(), 3);
  fail = false;
  Log.clear();
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_EQ(Log, (QStringList{"A", "F", "C"}));
}

TEST_F(MultiActionTest, DestroyingAHandlerDetachesIt) {
  auto a = Handler(QStringLiteral("A"));
  auto b = Handler(QStringLiteral("B"));
  a.reset();
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_EQ(Log, QStringList{"B"});
  EXPECT_EQ(OnSaveAction.Handlers().size(), 1);
}

// A handler that destroys another while its multi-action fires must not make it run a freed one.
TEST_F(MultiActionTest, AHandlerDestroyedDuringFiringIsNotRun) {
  std::unique_ptr<TMultiActionHandler> b;
  TMultiActionHandler killer;
  killer.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) { b.reset(); }));
  killer.SetMultiAction(&OnSaveAction);
  b = Handler(QStringLiteral("B"));
  EXPECT_TRUE(OnSaveAction.Execute());
  EXPECT_TRUE(Log.isEmpty());
}

// The design wants a multi-action to outlive its handlers; one that does not must not leave them
// pointing at freed memory.
TEST(MultiActionLifetimeTest, AMultiActionDestroyedFirstLeavesItsHandlersUnattached) {
  auto multi = std::make_unique<TMultiAction>();
  TMultiActionHandler handler;
  handler.SetMultiAction(multi.get());
  multi.reset();
  EXPECT_EQ(handler.MultiAction(), nullptr);
  TMultiAction other;
  handler.SetMultiAction(&other);
  EXPECT_EQ(other.Handlers().size(), 1);
}

TEST(ActionTest, StandardExecution) {
  TAction action;
  int runs = 0;
  EXPECT_FALSE(action.Execute());
  EXPECT_FALSE(action.Enabled());  // no execute event

  action.SetEnabled(true);
  action.SetAutoCheck(true);
  action.SetOnExecute(TNotifyEvent::FromFunction([&](QObject* sender) {
    EXPECT_EQ(sender, &action);
    ++runs;
  }));
  EXPECT_TRUE(action.Execute());
  EXPECT_TRUE(action.Checked());
  EXPECT_TRUE(action.Execute());
  EXPECT_FALSE(action.Checked());
  action.SetGroupIndex(1);
  action.SetChecked(true);
  EXPECT_TRUE(action.Execute());
  EXPECT_TRUE(action.Checked());
  EXPECT_EQ(runs, 3);

  action.SetOnUpdate(TNotifyEvent::FromFunction([](QObject* sender) {
    static_cast<TAction*>(sender)->SetEnabled(false);
  }));
  EXPECT_FALSE(action.Execute());
  EXPECT_EQ(runs, 3);
}

TEST(ActionTest, ChoosingTheActionRunsItsEventAndShowsItsErrors) {
  TAction action;
  QString shown;
  TAction::SetErrorHandler([&](const QString& message) { shown = message; });
  int runs = 0;
  action.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) {
    if (++runs == 2) throw std::runtime_error("Unable to create directory");
  }));
  action.trigger();
  EXPECT_EQ(runs, 1);
  action.trigger();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(shown, QStringLiteral("Unable to create directory"));
  TAction::SetErrorHandler([](const QString&) {});
}

}  // namespace
