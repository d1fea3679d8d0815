#include "brand/WindowFit.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace veyra {

namespace {

// The frame last seen around a window of this process of a fixed size or of one the player
// can resize (a window manager may give only the latter a grip to resize by), in device
// pixels (a window manager draws its frames in those, whatever Qt's scale).
std::optional<QMargins> &lastFrame(bool fixedSize)
{
    static std::optional<QMargins> frames[2];
    return frames[fixedSize ? 1 : 0];
}

bool isFixedSize(const QWidget &window)
{
    return window.minimumSize() == window.maximumSize();
}

QMargins scaled(const QMargins &margins, qreal factor)
{
    const auto scale = [factor](int value) { return static_cast<int>(std::lround(value * factor)); };
    return {scale(margins.left()), scale(margins.top()), scale(margins.right()), scale(margins.bottom())};
}

int scrollBarExtent(const QWidget &window)
{
    return window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
}

bool isFramed(const QWidget &window)
{
    const QWindow *nativeWindow = window.windowHandle();
    return window.isVisible() && nativeWindow != nullptr && nativeWindow->isExposed();
}

// Follows a window through its next show: what is to be done as it is shown runs before the
// window manager sees it, and what is to be done once it is framed runs when the window
// manager has framed and placed it (its first exposure, and the turn of the event loop
// after it, which brings the window manager's own move), in the order asked. Then the
// follower goes. A window hidden before that takes it with it.
class FramingFollower : public QObject
{
public:
    // The actions of a window framed already run now rather than on the next turn.
    void finishIfFramed()
    {
        if (m_framed) {
            runFramedActions();
        }
    }

    // The window's follower, made for its next show where it has none.
    static FramingFollower &of(QWidget &window)
    {
        FramingFollower *follower = pending(window);
        return follower != nullptr ? *follower : *new FramingFollower(window);
    }
    // The follower waiting for the window's framing, if any.
    static FramingFollower *pending(const QWidget &window)
    {
        // (Only followers carry the name, and only while they wait.)
        return static_cast<FramingFollower *>(
            window.findChild<QObject *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly));
    }

    // Runs as the window is shown next (at once, for a window shown already).
    void onShow(std::function<void(QWidget &)> action)
    {
        if (m_window->isVisible()) {
            action(*m_window);
        } else {
            m_onShow.push_back(std::move(action));
        }
    }
    void onFramed(std::function<void(QWidget &)> action) { m_onFramed.push_back(std::move(action)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && !event->spontaneous()) {
            if (event->type() == QEvent::Show) {
                for (const auto &action : std::exchange(m_onShow, {})) {
                    action(*m_window);
                }
                followNativeWindow();
            } else if (event->type() == QEvent::Hide) {
                end();
            }
        } else if (watched == m_nativeWindow && event->type() == QEvent::Expose && m_nativeWindow->isExposed()) {
            framed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr const char *name = "window-fit-follower";

    explicit FramingFollower(QWidget &window)
        : QObject(&window)
        , m_window(&window)
    {
        setObjectName(QString::fromLatin1(name));
        window.installEventFilter(this);
        if (window.isVisible()) {
            followNativeWindow();
        }
    }

    void followNativeWindow()
    {
        QWindow *nativeWindow = m_window->windowHandle();
        if (nativeWindow == nullptr || nativeWindow == m_nativeWindow) {
            return;
        }
        m_nativeWindow = nativeWindow;
        nativeWindow->installEventFilter(this);
        if (nativeWindow->isExposed()) {
            framed();
        }
    }

    void framed()
    {
        if (m_framed) {
            return;
        }
        m_framed = true;
        QTimer::singleShot(0, this, &FramingFollower::runFramedActions);
    }

    void runFramedActions()
    {
        const QPointer<FramingFollower> self(this);
        // (An action may ask for more.)
        while (!m_onFramed.empty()) {
            for (const auto &action : std::exchange(m_onFramed, {})) {
                if (!self || !m_window->isVisible()) {
                    return;
                }
                action(*m_window);
            }
        }
        end();
    }

    // The window's next show has a follower of its own.
    void end()
    {
        setObjectName(QString());
        m_onShow.clear();
        m_onFramed.clear();
        deleteLater();
    }

    QWidget *m_window;
    QPointer<QWindow> m_nativeWindow;
    std::vector<std::function<void(QWidget &)>> m_onShow;
    std::vector<std::function<void(QWidget &)>> m_onFramed;
    bool m_framed = false;
};

// Keeps a window the player can resize no larger than the free area of its screen whenever
// its least size lets it: a content that needed more room for a while (a screen with more
// text) grew the window, which comes back inside the area once its content allows. A window
// that fits is left where the player put it.
class RoomKeeper : public QObject
{
public:
    explicit RoomKeeper(QWidget &window)
        : QObject(&window)
        , m_window(window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The least size is known once the layout has taken the request in.
        if (watched == &m_window && event->type() == QEvent::LayoutRequest && !m_checkPending) {
            m_checkPending = true;
            QTimer::singleShot(0, this, [this] {
                m_checkPending = false;
                check();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void check()
    {
        const QRect available = WindowFit::availableArea(m_window);
        if (!isFramed(m_window) || available.isEmpty()) {
            return;
        }
        const QMargins frame = WindowFit::frameMargins(m_window);
        const QRect client = m_window.geometry();
        const QSize size
            = WindowFit::fittedSize(client.size(), m_window.minimumSize(), available.marginsRemoved(frame).size());
        if (size.width() < client.width() || size.height() < client.height()) {
            m_window.setGeometry(WindowFit::keptInside(QRect(client.topLeft(), size), frame, available));
        }
    }

    QWidget &m_window;
    bool m_checkPending = false;
};

} // namespace

QMargins WindowFit::frameMargins(const QWidget &window)
{
    const QWindow *nativeWindow = window.windowHandle();
    const qreal ratio = window.devicePixelRatioF();
    if (nativeWindow != nullptr && nativeWindow->isExposed()) {
        const QMargins own = nativeWindow->frameMargins();
        lastFrame(isFixedSize(window)) = scaled(own, ratio);
        return own;
    }
    const std::optional<QMargins> &last
        = lastFrame(isFixedSize(window)) ? lastFrame(isFixedSize(window)) : lastFrame(!isFixedSize(window));
    return last ? scaled(*last, 1.0 / ratio) : QMargins();
}

QSize WindowFit::fittedSize(QSize wanted, QSize least, QSize room)
{
    return wanted.boundedTo(room).expandedTo(least);
}

QSize WindowFit::scrolledSize(QSize content, QSize room, int scrollBarExtent)
{
    // A scroll bar along one side takes room from the other, which may then need one too.
    const bool tall = content.height() > room.height();
    const bool wide = content.width() + (tall ? scrollBarExtent : 0) > room.width();
    const bool scrollsDown = tall || content.height() + (wide ? scrollBarExtent : 0) > room.height();
    return {std::min(content.width() + (scrollsDown ? scrollBarExtent : 0), room.width()),
        std::min(content.height() + (wide ? scrollBarExtent : 0), room.height())};
}

QRect WindowFit::keptInside(QRect client, const QMargins &frame, const QRect &available)
{
    const QRect framed = client.marginsAdded(frame);
    const int left
        = std::max(std::min(framed.left(), available.left() + available.width() - framed.width()), available.left());
    const int top
        = std::max(std::min(framed.top(), available.top() + available.height() - framed.height()), available.top());
    client.translate(left - framed.left(), top - framed.top());
    return client;
}

QRect WindowFit::centredIn(const QRect &available, QSize size, const QMargins &frame)
{
    QRect framed(QPoint(), size.grownBy(frame));
    framed.moveCenter(available.center());
    return keptInside(framed.marginsRemoved(frame), frame, available);
}

QRect WindowFit::availableArea(const QWidget &window)
{
    const QScreen *screen = window.screen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

void WindowFit::fitOnFirstShow(QWidget &window)
{
    FramingFollower &follower = FramingFollower::of(window);
    follower.onShow([](QWidget &shown) {
        const QRect available = availableArea(shown);
        if (shown.isWindow() && !available.isEmpty()) {
            const QSize room = available.marginsRemoved(frameMargins(shown)).size();
            shown.resize(fittedSize(shown.size(), shown.minimumSize(), room));
        }
    });
    follower.onFramed([](QWidget &framed) { keepInside(framed, std::nullopt); });
    new RoomKeeper(window);
}

void WindowFit::whenFramed(QWidget &window, QObject *context, std::function<void()> action)
{
    if (isFramed(window)) {
        if (FramingFollower *pending = FramingFollower::pending(window)) {
            pending->finishIfFramed();
        }
        if (FramingFollower::pending(window) == nullptr) {
            action();
            return;
        }
    }
    FramingFollower::of(window).onFramed([context = QPointer<QObject>(context), action = std::move(action)](QWidget &) {
        if (context) {
            action();
        }
    });
}

QScrollArea *WindowFit::scrolling(QWidget *content, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setObjectName(QStringLiteral("window-fit-scroll-area"));
    area->setFrameShape(QFrame::NoFrame);
    // The window's own controls keep the keyboard; a control that takes the focus is
    // scrolled into view.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(false);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setWidget(content);
    return area;
}

void WindowFit::fitFixed(QWidget &window, QSize content, const QScreen *screen)
{
    if (screen != nullptr) {
        const QSize room = screen->availableGeometry().marginsRemoved(frameMargins(window)).size();
        window.setFixedSize(scrolledSize(content, room, scrollBarExtent(window)));
    }
    FramingFollower::of(window).onFramed([content](QWidget &framed) { keepInside(framed, content); });
}

void WindowFit::keepInside(QWidget &window, std::optional<QSize> fixedContent)
{
    if (!window.isWindow()) {
        return;
    }
    const QMargins frame = frameMargins(window);
    const QRect available = availableArea(window);
    const QRect client = window.geometry();
    if (available.isEmpty() || available.contains(client.marginsAdded(frame))) {
        return;
    }
    const QSize room = available.marginsRemoved(frame).size();
    QSize size = client.size();
    if (fixedContent) {
        size = scrolledSize(*fixedContent, room, scrollBarExtent(window));
        window.setFixedSize(size);
    } else {
        size = fittedSize(size, window.minimumSize(), room);
    }
    window.setGeometry(keptInside(QRect(client.topLeft(), size), frame, available));
}

} // namespace veyra
