// A second X client for the lock's end-to-end tests: it tries what another program on the
// desktop could try while the screen is locked.
//
//   lock_probe grab                  exit 0 when it could grab the keyboard (released at once)
//   lock_probe hold SECONDS          grabs keyboard and pointer and keeps them that long
//   lock_probe window SECONDS        maps a window of its own (named "probe") and counts the
//                                    keys it receives; prints the count at the end
//   lock_probe top                   prints the name of the topmost mapped top-level window
//   lock_probe close NAME            sends a window manager's close request (WM_DELETE_WINDOW)
//                                    to every top-level window named NAME
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

xcb_connection_t* c = nullptr;
xcb_window_t root = 0;

xcb_atom_t atom(const char* name) {
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : 0;
}

std::string nameOf(xcb_window_t w) {
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr));
    if (!r || xcb_get_property_value_length(r.get()) == 0) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       std::size_t(xcb_get_property_value_length(r.get())));
}

bool mapped(xcb_window_t w) {
    Reply<xcb_get_window_attributes_reply_t> a(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The top-level windows, bottom first; a window manager's frame stands for its client.
std::vector<xcb_window_t> children(xcb_window_t w) {
    Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
    if (!t) return {};
    auto* list = xcb_query_tree_children(t.get());
    return {list, list + xcb_query_tree_children_length(t.get())};
}

std::string clientName(xcb_window_t w) {
    std::string name = nameOf(w);
    if (!name.empty()) return name;
    for (xcb_window_t child : children(w))
        if (mapped(child) && !(name = clientName(child)).empty()) return name;
    return {};
}

int grab() {
    Reply<xcb_grab_keyboard_reply_t> r(xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    const bool ok = r && r->status == XCB_GRAB_STATUS_SUCCESS;
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::printf("%s\n", ok ? "grabbed" : "refused");
    return ok ? 0 : 1;
}

int hold(int seconds) {
    Reply<xcb_grab_keyboard_reply_t> k(xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    if (!k || k->status != XCB_GRAB_STATUS_SUCCESS) return 1;
    std::printf("holding\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}

int window(int seconds) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel,
                               XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 50, 50, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 5,
                        "probe");
    xcb_map_window(c, w);
    xcb_flush(c);
    // Asks for the keyboard focus too, as a program that wants the keys would.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::printf("mapped\n");
    std::fflush(stdout);
    int keys = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & ~0x80) == XCB_KEY_PRESS) ++keys;
            std::free(e);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("keys %d\n", keys);
    return 0;
}

int top() {
    const auto list = children(root);
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (!mapped(*it)) continue;
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, *it), nullptr));
        if (g && g->width <= 3 && g->height <= 3) continue; // helper windows
        std::printf("%s\n", clientName(*it).c_str());
        return 0;
    }
    return 1;
}

int close(const char* name) {
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), remove = atom("WM_DELETE_WINDOW");
    int sent = 0;
    for (xcb_window_t w : children(root)) {
        if (nameOf(w) != name) continue;
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = w;
        m.type = protocols;
        m.data.data32[0] = remove;
        m.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
        ++sent;
    }
    xcb_flush(c);
    std::printf("sent %d\n", sent);
    return sent ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::string what = argv[1];
    int result = 2;
    if (what == "grab") result = grab();
    if (what == "hold" && argc > 2) result = hold(std::atoi(argv[2]));
    if (what == "window" && argc > 2) result = window(std::atoi(argv[2]));
    if (what == "top") result = top();
    if (what == "close" && argc > 2) result = close(argv[2]);
    xcb_disconnect(c);
    return result;
}
