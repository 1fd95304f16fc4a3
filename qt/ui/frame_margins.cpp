#include "frame_margins.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// xcb hands replies over as malloc'd memory.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

// How long a window manager that says it answers may take: openbox, KWin
// and Mutter answer at once; a silent one costs this much at start.
constexpr int kTries = 40;
constexpr unsigned long kPauseMs = 5;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    return reply->atom;
}

ReplyPointer<xcb_get_property_reply_t> readProperty(xcb_connection_t* connection,
                                                    xcb_window_t window, xcb_atom_t property,
                                                    xcb_atom_t type, std::uint32_t longs) {
    return ReplyPointer<xcb_get_property_reply_t>(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, longs), nullptr));
}

bool supports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t feature) {
    const ReplyPointer<xcb_get_property_reply_t> supported = readProperty(
        connection, root, internAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (supported == nullptr || supported->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == feature) {
            return true;
        }
    }
    return false;
}

}  // namespace

QMargins expectedFrameMargins(QWidget& window) {
    // The offscreen platform answers to the X11 interface too, without a
    // usable connection: only the xcb platform is asked.
    if (qApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return {};
    }
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 == nullptr ? nullptr : x11->connection();
    if (connection == nullptr) {
        return {};
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const xcb_atom_t request = internAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = internAtom(connection, "_NET_FRAME_EXTENTS");
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !supports(connection, root, request)) {
        return {};
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    std::array<char, 32> bytes{};
    std::memcpy(bytes.data(), &message, sizeof message);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   bytes.data());
    xcb_flush(connection);
    // Polled as a property: the event that announces it belongs to Qt.
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const ReplyPointer<xcb_get_property_reply_t> reply =
            readProperty(connection, id, extents, XCB_ATOM_CARDINAL, 4);
        if (reply != nullptr && reply->format == 32 &&
            xcb_get_property_value_length(reply.get()) == 16) {
            const auto* sides =
                static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
            // left, right, top, bottom, in device pixels; the window is
            // placed in Qt's logical ones.
            const qreal ratio = window.devicePixelRatioF() > 0 ? window.devicePixelRatioF() : 1.0;
            const auto logical = [ratio](std::uint32_t side) {
                return static_cast<int>(std::lround(side / ratio));
            };
            return {logical(sides[0]), logical(sides[2]), logical(sides[1]), logical(sides[3])};
        }
        QThread::msleep(kPauseMs);
    }
    return {};
}
