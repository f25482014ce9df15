// A function of one real, without side effects, as the methods take it: a non-owning
// reference to a plain function or to a callable object (a compiled formula, say). A
// plain function costs what a function pointer costs, and a predictable branch; an
// object one call through a pointer. The object must outlive the reference. Its result
// is a real of the same type, or another type where the function answers a question
// about x (whether its evaluation underflows there, say).
#pragma once

#include <concepts>
#include <type_traits>

namespace runtime {

template <class Real, class Result = Real> class FunctionRef {
public:
    using Plain = Result (*)(const Real&);

    FunctionRef(Plain function) : plain_(function) {}

    // A lambda without captures is kept as the plain function it converts to, so that a
    // reference made from a temporary one stays valid; any other callable by address.
    template <class Callable>
    requires(!std::same_as<Callable, FunctionRef> &&
             std::is_invocable_r_v<Result, const Callable&, const Real&>)
        FunctionRef(const Callable& callable)
    {
        if constexpr (std::convertible_to<const Callable&, Plain>) {
            plain_ = callable;
        } else {
            call_ = &call_object<Callable>;
            object_ = &callable;
        }
    }

    Result operator()(const Real& x) const { return plain_ ? plain_(x) : call_(object_, x); }

private:
    template <class Callable> static Result call_object(const void* object, const Real& x)
    {
        return (*static_cast<const Callable*>(object))(x);
    }

    Plain plain_ = nullptr;
    Result (*call_)(const void*, const Real&) = nullptr;
    const void* object_ = nullptr;
};

}  // namespace runtime
