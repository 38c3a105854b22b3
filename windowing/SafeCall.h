#pragma once
// The one place where a failure of the program's own code is caught. Every
// entry point that Qt calls (slot, timer tick, event handler, menu command,
// window creation handler) runs its body through safeCall, so no exception
// ever travels through Qt's code. A caught failure is shown in the
// application error box; the rest of the handler is skipped.
#include <functional>
#include <type_traits>
#include <utility>

// Runs body; returns false when it failed (the error box has been shown).
bool safeCall(const std::function<void()>& body);

namespace safecall_detail {
// Calls f with the arguments when it takes them, otherwise with none.
template <class F, class... A>
void callWithWhatItTakes(F& f, A&&... args)
{
    if constexpr (std::is_invocable_v<F&, A...>)
        f(std::forward<A>(args)...);
    else
        f();
}
}  // namespace safecall_detail

// Wraps a callable so that calling it goes through safeCall; for connect().
// Signal arguments the callable does not take are dropped.
template <class F>
auto guarded(F f)
{
    // Constrained, with its return type given, so that Qt's working out how
    // many signal arguments it takes never instantiates a body that cannot
    // compile (clang checks those eagerly).
    return [f = std::move(f)](auto&&... args) mutable -> void
               requires std::is_invocable_v<F&, decltype(args)...> || std::is_invocable_v<F&>
    {
        safeCall([&] { safecall_detail::callWithWhatItTakes(f, std::forward<decltype(args)>(args)...); });
    };
}
