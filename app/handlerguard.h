#pragma once

#include <exception>
#include <type_traits>
#include <utility>

// Shows an exception in the standard error box; the program then goes on.
void showException(const std::exception &error);

// Wraps a handler so that an exception it raises is shown and never crosses
// the toolkit's event dispatch.
template <typename Handler>
auto guarded(Handler handler)
{
    return [handler = std::move(handler)](auto &&...args) {
        try {
            // Signals may carry arguments the handler does not take.
            if constexpr (std::is_invocable_v<const Handler &, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (const std::exception &error) {
            showException(error);
        }
    };
}
