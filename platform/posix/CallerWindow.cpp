#include "platform/CallerWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace qv {

namespace {

// Xlib's default error handler ends the process, and the caller's windows belong to another program that may
// close them at any moment. Errors on our own connections are recorded instead; others go on to whichever
// handler was there before.
std::mutex g_mutex;
std::vector<Display*> g_displays;
XErrorHandler g_previous = nullptr;
std::atomic<int> g_lastError{Success};

int RecordError(Display* display, XErrorEvent* event) {
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (std::find(g_displays.begin(), g_displays.end(), display) != g_displays.end()) {
            g_lastError = event->error_code;
            return 0;
        }
        previous = g_previous;
    }
    return previous != nullptr ? previous(display, event) : 0;
}

void Adopt(Display* display) {
    std::lock_guard lock(g_mutex);
    if (g_displays.empty())
        g_previous = XSetErrorHandler(RecordError);
    g_displays.push_back(display);
}

void Release(Display* display) {
    std::lock_guard lock(g_mutex);
    g_displays.erase(std::remove(g_displays.begin(), g_displays.end(), display), g_displays.end());
    if (g_displays.empty())
        XSetErrorHandler(g_previous);
}

} // namespace

struct CallerWindow::Impl {
    Display* display = nullptr;
    Window parent = None;

    ~Impl() { Close(); }

    void Close() {
        if (display == nullptr)
            return;
        Release(display);
        XCloseDisplay(display);
        display = nullptr;
        parent = None;
    }

    // Runs the requests and waits for the server's answer, so that an error is known (and recorded) here.
    template <typename Requests> bool Checked(Requests requests) {
        if (display == nullptr)
            return false;
        g_lastError = Success;
        requests();
        XSync(display, False);
        return g_lastError == Success;
    }

    std::string NetWmName() {
        const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        int status = BadImplementation;
        Checked([&] {
            status = XGetWindowProperty(display, parent, name, 0, 65536, False, utf8, &type, &format, &count,
                                        &after, &data);
        });
        std::string text;
        if (status == Success && data != nullptr && type == utf8 && format == 8)
            text.assign(reinterpret_cast<const char*>(data), count);
        if (data != nullptr)
            XFree(data);
        return text;
    }

    // STRING is Latin-1, COMPOUND_TEXT anything: Xlib converts both.
    std::string WmName() {
        XTextProperty property{};
        Status status = 0;
        Checked([&] { status = XGetWMName(display, parent, &property); });
        std::string text;
        char** list = nullptr;
        int count = 0;
        if (status != 0 && Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success &&
            list != nullptr) {
            for (int i = 0; i < count; ++i)
                text += list[i];
            XFreeStringList(list);
        }
        if (property.value != nullptr)
            XFree(property.value);
        return text;
    }
};

CallerWindow::CallerWindow(std::uint64_t handle) : m_impl(std::make_unique<Impl>()) {
    // X resource ids have 29 bits; a larger number names nothing.
    if (handle == 0 || handle > 0x1FFFFFFFu)
        return;
    m_impl->display = XOpenDisplay(nullptr);
    if (m_impl->display == nullptr)
        return;
    Adopt(m_impl->display);
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    Status status = 0;
    const bool answered = m_impl->Checked([&] {
        status = XQueryTree(m_impl->display, static_cast<Window>(handle), &root, &parent, &children, &count);
    });
    if (children != nullptr)
        XFree(children);
    // A top-level window's parent is the root: no property sheet around it.
    if (answered && status != 0 && parent != None && parent != root)
        m_impl->parent = parent;
    else
        m_impl->Close();
}

CallerWindow::~CallerWindow() = default;

bool CallerWindow::Exists() const {
    return m_impl->parent != None;
}

std::uint64_t CallerWindow::Parent() const {
    return m_impl->parent;
}

std::string CallerWindow::Title() const {
    if (m_impl->parent == None)
        return std::string();
    std::string title = m_impl->NetWmName();
    return title.empty() ? m_impl->WmName() : title;
}

CallerWindow::Rect CallerWindow::ScreenRect() const {
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = None;
    Status status = 0;
    Bool translated = False;
    const bool answered = m_impl->Checked([&] {
        status = XGetWindowAttributes(m_impl->display, m_impl->parent, &attributes);
        if (status != 0)
            translated =
                XTranslateCoordinates(m_impl->display, m_impl->parent, attributes.root, 0, 0, &x, &y, &child);
    });
    if (!answered || status == 0 || !translated)
        return Rect{};
    return Rect{x, y, x + attributes.width, y + attributes.height};
}

void CallerWindow::Hide() {
    m_impl->Checked([&] { XUnmapWindow(m_impl->display, m_impl->parent); });
}

void CallerWindow::Disable() {}

void CallerWindow::ShowNormal() {
    m_impl->Checked([&] { XMapWindow(m_impl->display, m_impl->parent); });
}

void CallerWindow::Enable() {}

void CallerWindow::BringToTop() {
    m_impl->Checked([&] { XRaiseWindow(m_impl->display, m_impl->parent); });
}

void CallerWindow::SelectFirstPage() {}

void CallerWindow::Focus() {
    // Only a viewable window can take the focus; otherwise the server answers BadMatch, which is recorded.
    m_impl->Checked([&] { XSetInputFocus(m_impl->display, m_impl->parent, RevertToParent, CurrentTime); });
}

} // namespace qv
