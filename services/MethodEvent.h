#pragma once

// An event of an action: a method of some object, or a function. Two events are equal when they
// name the same method of the same object (copies of one function event are equal too), which is
// what lets an action forwarder tell whether its target still follows it. An event whose object is
// a QObject that has been destroyed does nothing when called.

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

// One numbering for the function events of every kind.
inline uint64_t NextFunctionId() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

template <typename... Args>
class TMethodEvent {
 public:
  TMethodEvent() = default;

  template <class T>
  TMethodEvent(T* object, void (T::*method)(Args...))
      : Call([object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); }),
        Object(object),
        Method(reinterpret_cast<const char*>(&method), sizeof(method)) {
    if constexpr (std::is_base_of_v<QObject, T>) {
      Guard = object;
      Guarded = true;
    }
  }

  // A function event; its copies are equal to it and to nothing else.
  template <class F>
  static TMethodEvent FromFunction(F&& function) {
    TMethodEvent event;
    event.Call = std::function<void(Args...)>(std::forward<F>(function));
    const uint64_t id = NextFunctionId();
    event.Method.assign(reinterpret_cast<const char*>(&id), sizeof(id));
    return event;
  }

  explicit operator bool() const { return static_cast<bool>(Call); }

  void operator()(Args... args) const {
    if (!Call || (Guarded && !Guard)) return;
    Call(std::forward<Args>(args)...);
  }

  bool operator==(const TMethodEvent& other) const {
    return Object == other.Object && Method == other.Method &&
           static_cast<bool>(Call) == static_cast<bool>(other.Call);
  }
  bool operator!=(const TMethodEvent& other) const { return !(*this == other); }

 private:
  std::function<void(Args...)> Call;
  const void* Object = nullptr;
  std::string Method;
  QPointer<QObject> Guard;
  bool Guarded = false;
};

// OnExecute and OnUpdate receive the action that runs them.
using TNotifyEvent = TMethodEvent<QObject*>;
// OnHint receives the hint and whether it may be shown, both to be changed.
using THintEvent = TMethodEvent<QString&, bool&>;
