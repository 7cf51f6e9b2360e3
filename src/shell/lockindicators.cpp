#include "shell/lockindicators.h"

#include <QGuiApplication>

#ifdef DRAVIK_HAVE_XCB
#include <xcb/xcb.h>
#endif

SLockState QueryLockState()
{
    SLockState state;
#ifdef DRAVIK_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return state;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return state;
    // The core protocol's LED mask: LED 1 is Caps Lock, 2 Num Lock, 3 Scroll Lock.
    xcb_get_keyboard_control_cookie_t cookie = xcb_get_keyboard_control(connection);
    xcb_get_keyboard_control_reply_t* reply = xcb_get_keyboard_control_reply(connection, cookie, nullptr);
    if (!reply)
        return state;
    state.m_bKnown = true;
    state.m_bCaps = reply->led_mask & 1u;
    state.m_bNum = reply->led_mask & 2u;
    state.m_bScroll = reply->led_mask & 4u;
    free(reply);
#endif
    return state;
}
