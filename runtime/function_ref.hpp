// A function of one real, without side effects, as the methods take it: a non-owning
// reference to a plain function or to a callable object (a compiled formula, say), at
// the cost of one call through a pointer. The object must outlive the reference.
#pragma once

#include <concepts>
#include <type_traits>

namespace runtime {

template <class Real> class FunctionRef {
public:
    using Plain = Real (*)(const Real&);

    FunctionRef(Plain function) : call_(&call_plain), plain_(function) {}

    // A lambda without captures is kept as the plain function it converts to, so that a
    // reference made from a temporary one stays valid; any other callable by address.
    template <class Callable>
    requires(!std::same_as<Callable, FunctionRef> &&
             std::is_invocable_r_v<Real, const Callable&, const Real&>)
        FunctionRef(const Callable& callable)
    {
        if constexpr (std::convertible_to<const Callable&, Plain>) {
            call_ = &call_plain;
            plain_ = callable;
        } else {
            call_ = &call_object<Callable>;
            object_ = &callable;
        }
    }

    Real operator()(const Real& x) const { return call_(*this, x); }

private:
    static Real call_plain(const FunctionRef& self, const Real& x) { return self.plain_(x); }

    template <class Callable> static Real call_object(const FunctionRef& self, const Real& x)
    {
        return (*static_cast<const Callable*>(self.object_))(x);
    }

    Real (*call_)(const FunctionRef&, const Real&);
    union {
        Plain plain_;
        const void* object_;
    };
};

}  // namespace runtime
