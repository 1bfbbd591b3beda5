// Small helpers over xcb for the X11 layers: replies freed on scope exit, connections of
// their own, atoms by name and 32-bit properties. Only built where xcb is present.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform::xcb {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// A connection to the display `name` (null or empty: $DISPLAY) and its default screen.
struct ScreenConnection {
    Connection connection;
    xcb_screen_t* screen = nullptr; // null when the display cannot be reached
};

inline ScreenConnection connectToScreen(const char* name) {
    ScreenConnection out;
    int number = 0;
    out.connection.reset(xcb_connect(name && *name ? name : nullptr, &number));
    if (xcb_connection_has_error(out.connection.get())) return out;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(out.connection.get()));
    for (int i = 0; i < number && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (screens.rem) out.screen = screens.data;
    return out;
}

// The visual of the screen's root window; null when not found.
inline xcb_visualtype_t* rootVisual(const xcb_screen_t* screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths))
        for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual) return v.data;
    return nullptr;
}

inline xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// A property of 32-bit items (atoms, windows, cardinals, pixmaps); empty when unset or
// unreadable.
inline std::vector<uint32_t> readProperty32(xcb_connection_t* c, xcb_window_t window,
                                            xcb_atom_t property, xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32) return {};
    auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {items, items + xcb_get_property_value_length(reply.get()) / 4};
}

} // namespace platform::xcb
