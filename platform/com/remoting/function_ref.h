// FunctionRef: a non-owning reference to a callable, for callbacks that are
// only used during the call they are passed to (no allocation, unlike
// std::function).
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace paginor::remoting {

template <typename Signature> class FunctionRef;

template <typename Result, typename... Args> class FunctionRef<Result(Args...)> {
public:
    template <typename Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, FunctionRef> &&
             std::is_class_v<std::remove_cvref_t<Callable>> &&
             std::is_invocable_r_v<Result, Callable&, Args...>)
        FunctionRef(Callable&& callable) // NOLINT: converting on purpose, like std::function
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          call_([](void* object, Args... args) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(object))(
                  std::forward<Args>(args)...);
          }) {}

    Result operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

private:
    void* object_;
    Result (*call_)(void*, Args...);
};

} // namespace paginor::remoting
