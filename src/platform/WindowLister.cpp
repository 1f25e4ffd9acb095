#include "WindowLister.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#ifdef VANTORA_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace {

struct Registered
{
    QPointer<QWidget> window;
    QString className;
};

QList<Registered> &registry()
{
    static QList<Registered> list;
    return list;
}

#ifdef VANTORA_HAVE_XCB

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

QByteArray property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr);
    QByteArray value;
    if (reply) {
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
        free(reply);
    }
    return value;
}

QList<TopLevelWindow> x11Windows(xcb_connection_t *c)
{
    QList<TopLevelWindow> out;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return out;
    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    const QByteArray ids = property(c, screen->root, clientList, XCB_ATOM_WINDOW);
    const int count = int(ids.size() / sizeof(xcb_window_t));
    for (int i = 0; i < count; ++i) {
        xcb_window_t w;
        memcpy(&w, ids.constData() + i * sizeof(xcb_window_t), sizeof w);
        TopLevelWindow entry;
        QByteArray title = property(c, w, netName, utf8);
        entry.title = title.isEmpty()
            ? QString::fromLatin1(property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING))
            : QString::fromUtf8(title);
        // WM_CLASS is "instance\0class\0".
        const QList<QByteArray> parts = property(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        if (parts.size() >= 2)
            entry.className = QString::fromLatin1(parts.at(1));
        out.append(entry);
    }
    return out;
}

void setX11Class(QWidget *window, const QString &className)
{
    xcb_connection_t *c = x11Connection();
    if (!c)
        return;
    const QByteArray value = QCoreApplication::applicationName().toLatin1() + '\0'
        + className.toLatin1() + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, uint32_t(value.size()),
                        value.constData());
    xcb_flush(c);
}

#endif

} // namespace

QList<TopLevelWindow> DesktopWindowLister::topLevelWindows() const
{
#ifdef VANTORA_HAVE_XCB
    if (xcb_connection_t *c = x11Connection())
        return x11Windows(c);
#endif
    return MainWindows::ownWindows();
}

namespace MainWindows {

void registerWindow(QWidget *window, const QString &className)
{
    registry().append({window, className});
#ifdef VANTORA_HAVE_XCB
    setX11Class(window, className);
#endif
}

QList<TopLevelWindow> ownWindows()
{
    QList<TopLevelWindow> out;
    QList<Registered> &list = registry();
    list.removeIf([](const Registered &r) { return r.window.isNull(); });
    for (const Registered &r : std::as_const(list))
        out.append({r.window->windowTitle(), r.className});
    return out;
}

} // namespace MainWindows
