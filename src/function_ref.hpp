// A reference to something callable, passed down a call and never kept: unlike std::function it
// never allocates, so calls made while memory runs short cannot fail.
#pragma once

#include <type_traits>
#include <utility>

template <typename Signature>
class FunctionRef;

template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
 public:
  // Refers to `callable`, which must outlive every call through this reference: a lambda written
  // in the call's arguments lives until the call returns.
  template <typename Callable,
            typename = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
  FunctionRef(Callable&& callable)  // NOLINT: converts implicitly, as std::function does
      : object_(const_cast<void*>(static_cast<const void*>(&callable))),
        call_([](void* object, Arguments... arguments) -> Result {
          return (*static_cast<std::remove_reference_t<Callable>*>(object))(
              std::forward<Arguments>(arguments)...);
        }) {}

  Result operator()(Arguments... arguments) const {
    return call_(object_, std::forward<Arguments>(arguments)...);
  }

 private:
  void* object_;
  Result (*call_)(void*, Arguments...);
};
