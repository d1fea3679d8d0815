// A stand-in for a game: one window with a painted scene and a dialogue box of a given
// colour holding given text, drawn large with the Noto CJK fonts. Tests start it as a
// separate process on a private X server and drive it through stdin, one command a line;
// it answers every command with one line on stdout.
//
// Options:
//   --title TEXT            window title ("Test Game")
//   --size WxH              client-area size (960x540)
//   --position X,Y          requested position of the client area
//   --box-color #RRGGBB     dialogue-box colour (#1e2a44)
//   --box-rect X,Y,W,H      dialogue box inside the window (the lower fifth, inset)
//   --text TEXT             dialogue text
//   --text-color #RRGGBB    text colour (#ffffff)
//   --font-size PX          text size in pixels (40)
//   --class NAME            the class part of WM_CLASS
//   --without-class         remove WM_CLASS from every window
//   --without-pid           remove _NET_WM_PID from every window
//   --tool                  make the main window a utility window
//   --dialog                make the main window a dialog
//   --frameless             a main window without decorations (a "borderless" game)
//   --resizable             the main window may change size (its scene is drawn anew at
//                           every size, the dialogue box where --box-rect puts it)
//   --full-screen           the main window starts in full-screen state (implies resizable)
//   --bypass-window-manager a main window no window manager manages (override-redirect),
//                           as some full-screen games make
//   --extra-window TITLE    one more window of the same size in this process (repeatable)
//
// Once every window is shown and painted (and listed by the window manager, where one
// runs and keeps a list) it prints "window <id>" for each window (the main window first)
// and then "ready"; when that does not happen in time, "error <reason>" and it exits.
// Commands:
//   text <TEXT>      new dialogue text, painted before the answer "ok"
//   title <TEXT>     new window title; "ok"
//   save <PATH>      writes the main window's current picture as PNG; "ok"
//   geometry         "geometry <x> <y> <width> <height>": the client area in root coordinates
//   hide, show, minimize, raise   "ok" once the window server has done it
//   full-screen, normal     into the window manager's full-screen state and out of it;
//                           "ok" once the window has the screen's size (or its own
//                           size again) and is painted
//   clicks           "clicks <n>": the mouse presses the main window has received so far
//   quit             exits
// A failed command answers "error <reason>", as does one the window server or the window
// manager has not carried out in time.
#include "../TimeLimits.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// How long the program waits for the window server and the window manager to carry out a
// change before it answers with an error (scaled for this machine, as the tests' limits
// are). Far longer than they ever take: it only turns a hang into a message.
constexpr int waitLimitMs = 30000;

struct Scene
{
    QSize size{960, 540};
    QColor boxColor{0x1e, 0x2a, 0x44};
    QRect boxRect;
    // No box rectangle was given: the box keeps its place in the lower part at every size.
    bool boxFollowsSize = false;
    QString text;
    QColor textColor{Qt::white};
    int fontPixelSize = 40;
};

// The dialogue box's place when none is given: the lower part of the window, inset.
QRect defaultBoxRect(QSize size)
{
    return {size.width() / 20, size.height() * 7 / 10, size.width() * 9 / 10, size.height() / 4};
}

// The whole picture of the main window: a smooth landscape (every pixel position has its
// own colour, so that a shifted or scaled capture never matches) and the dialogue box.
QImage renderScene(const Scene &scene)
{
    QImage image(scene.size, QImage::Format_RGB32);
    const int width = scene.size.width();
    const int height = scene.size.height();
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool ground = y > height / 2 + (x % 97) / 8;
            line[x] = ground ? qRgb(40 + (x * 60) / width, 90 + (y * 80) / height, 40 + (x + y) % 23)
                             : qRgb(70 + (x * 90) / width, 110 + (y * 100) / height, 200 - (x + y) % 29);
        }
    }
    QPainter painter(&image);
    painter.fillRect(QRect(width / 10, height / 3, width / 8, height / 6), QColor(0x8b, 0x5a, 0x2b));
    painter.fillRect(QRect(width * 7 / 10, height / 4, width / 12, height / 4), QColor(0x55, 0x55, 0x60));
    painter.fillRect(scene.boxRect, scene.boxColor);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(scene.fontPixelSize);
    font.setHintingPreference(QFont::PreferFullHinting);
    painter.setFont(font);
    painter.setPen(scene.textColor);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const int inset = scene.fontPixelSize / 2;
    painter.drawText(scene.boxRect.adjusted(inset, inset / 2, -inset, -inset / 2),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, scene.text);
    return image;
}

class GameView : public QWidget
{
public:
    GameView(const Scene &scene, bool resizable)
        : m_scene(scene)
        , m_picture(renderScene(scene))
    {
        if (resizable) {
            resize(scene.size);
        } else {
            setFixedSize(scene.size);
        }
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void setText(const QString &text)
    {
        m_scene.text = text;
        m_picture = renderScene(m_scene);
        repaint();
    }

    const QImage &picture() const { return m_picture; }
    // Painted since the last change of text or size.
    bool hasPainted() const { return m_painted; }
    int presses() const { return m_presses; }

protected:
    void mousePressEvent(QMouseEvent *) override { ++m_presses; }

    void resizeEvent(QResizeEvent *) override
    {
        if (size() != m_scene.size) {
            m_scene.size = size();
            if (m_scene.boxFollowsSize) {
                m_scene.boxRect = defaultBoxRect(m_scene.size);
            }
            m_picture = renderScene(m_scene);
            m_painted = false;
        }
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_picture);
        m_painted = true;
    }

private:
    Scene m_scene;
    QImage m_picture;
    bool m_painted = false;
    int m_presses = 0;
};

xcb_connection_t *x11Connection()
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t x11Root()
{
    xcb_connection_t *connection = x11Connection();
    return connection != nullptr ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root : XCB_NONE;
}

// Waits until the X server has handled every request sent so far.
void syncWithServer()
{
    if (xcb_connection_t *connection = x11Connection()) {
        xcb_flush(connection);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

void deleteProperty(QWidget *window, const char *name)
{
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    const xcb_atom_t atom
        = std::strcmp(name, "WM_CLASS") == 0 ? xcb_atom_t(XCB_ATOM_WM_CLASS) : internAtom(connection, name);
    xcb_delete_property(connection, static_cast<xcb_window_t>(window->winId()), atom);
}

struct WindowState
{
    bool viewable = false;
    bool topLevel = false;
    bool bypassesWindowManager = false;
    // The WM_STATE a window manager gave the window, or -1 for none.
    int managedState = -1;
    bool windowManagerRuns = false;
    // The running window manager keeps the list of the windows it manages
    // (_NET_CLIENT_LIST), and this window is on it.
    bool windowManagerKeepsList = false;
    bool listed = false;

    // Whether the window manager has finished taking the window on: it is on the list
    // other programs read the windows from. Trivially true where no manager lists it.
    bool settledInWindowManager() const
    {
        return !windowManagerRuns || bypassesWindowManager || !windowManagerKeepsList || listed;
    }

    QString describe() const
    {
        const auto yesNo = [](bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); };
        return QStringLiteral("viewable: %1, WM_STATE: %2, window manager runs: %3, listed in its "
                              "_NET_CLIENT_LIST: %4")
            .arg(yesNo(viewable), QString::number(managedState), yesNo(windowManagerRuns),
                windowManagerKeepsList ? yesNo(listed) : QStringLiteral("(no list)"));
    }
};

bool containsValue(const xcb_get_property_reply_t *reply, std::uint32_t value)
{
    if (reply == nullptr || reply->format != 32) {
        return false;
    }
    const auto *values = static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    return std::find(values, values + count, value) != values + count;
}

// What the X server says about the window right now.
WindowState windowState(QWidget *window)
{
    WindowState state;
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return state;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t wmState = internAtom(connection, "WM_STATE");
    const xcb_atom_t supported = internAtom(connection, "_NET_SUPPORTED");
    const xcb_atom_t clientList = internAtom(connection, "_NET_CLIENT_LIST");
    const xcb_window_t root = x11Root();
    const auto attributesCookie = xcb_get_window_attributes(connection, id);
    const auto treeCookie = xcb_query_tree(connection, id);
    const auto stateCookie = xcb_get_property(connection, 0, id, wmState, wmState, 0, 2);
    const auto rootCookie = xcb_get_window_attributes(connection, root);
    const auto supportedCookie = xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 1024);
    const auto listCookie = xcb_get_property(connection, 0, root, clientList, XCB_ATOM_WINDOW, 0, 65536);
    xcb_get_window_attributes_reply_t *attributes
        = xcb_get_window_attributes_reply(connection, attributesCookie, nullptr);
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(connection, treeCookie, nullptr);
    xcb_get_property_reply_t *property = xcb_get_property_reply(connection, stateCookie, nullptr);
    xcb_get_window_attributes_reply_t *rootAttributes
        = xcb_get_window_attributes_reply(connection, rootCookie, nullptr);
    xcb_get_property_reply_t *supportedList = xcb_get_property_reply(connection, supportedCookie, nullptr);
    xcb_get_property_reply_t *managedList = xcb_get_property_reply(connection, listCookie, nullptr);
    if (attributes != nullptr) {
        state.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        state.bypassesWindowManager = attributes->override_redirect != 0;
    }
    if (tree != nullptr) {
        state.topLevel = tree->parent == tree->root;
    }
    if (rootAttributes != nullptr) {
        state.windowManagerRuns = (rootAttributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
    }
    if (property != nullptr && property->format == 32 && xcb_get_property_value_length(property) >= 4) {
        state.managedState = static_cast<int>(*static_cast<const uint32_t *>(xcb_get_property_value(property)));
    }
    state.windowManagerKeepsList = containsValue(supportedList, clientList);
    state.listed = containsValue(managedList, id);
    std::free(attributes);
    std::free(tree);
    std::free(property);
    std::free(rootAttributes);
    std::free(supportedList);
    std::free(managedList);
    return state;
}

// The window's state as this program and the X server see it, for messages.
QString describe(GameView *view)
{
    return QStringLiteral("exposed: %1, painted: %2, size: %3x%4, %5")
        .arg(view->windowHandle()->isExposed() ? QStringLiteral("yes") : QStringLiteral("no"),
            view->hasPainted() ? QStringLiteral("yes") : QStringLiteral("no"))
        .arg(view->width())
        .arg(view->height())
        .arg(windowState(view).describe());
}

// Root-window property changes (a window manager publishing its list of windows) reach
// this program as events, so that a wait on them wakes up.
void watchRootProperties()
{
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    const xcb_window_t root = x11Root();
    xcb_get_window_attributes_reply_t *attributes
        = xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, root), nullptr);
    const std::uint32_t mask
        = (attributes != nullptr ? attributes->your_event_mask : 0U) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    syncWithServer();
}

// Checks a condition after every event this program handles, its own and the X
// server's, and ends an event loop once it holds.
class ConditionWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    ConditionWatch(const std::function<bool()> &condition, QEventLoop &loop)
        : m_condition(condition)
        , m_loop(loop)
    {
        qApp->installEventFilter(this);
        qApp->installNativeEventFilter(this);
    }
    ~ConditionWatch() override
    {
        qApp->removeNativeEventFilter(this);
        qApp->removeEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *) override
    {
        // Not for the check's own call, or the checks would feed themselves.
        if (watched != this) {
            scheduleCheck();
        }
        return false;
    }

    bool nativeEventFilter(const QByteArray &, void *, qintptr *) override
    {
        scheduleCheck();
        return false;
    }

private:
    // Once the events at hand have been handled.
    void scheduleCheck()
    {
        if (m_checkPending) {
            return;
        }
        m_checkPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_checkPending = false;
                if (m_condition()) {
                    m_loop.quit();
                }
            },
            Qt::QueuedConnection);
    }

    const std::function<bool()> &m_condition;
    QEventLoop &m_loop;
    bool m_checkPending = false;
};

// Runs the event loop until the condition holds, waiting on the events that change it, or
// until the time limit (scaled for this machine) is up; returns the condition.
bool waitFor(const std::function<bool()> &condition)
{
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    const ConditionWatch watch(condition, loop);
    QTimer::singleShot(veyra::test::scaledMs(waitLimitMs), &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

void answer(const QString &line)
{
    std::cout << line.toStdString() << std::endl;
}

// Answers that a wait ran out, saying what it waited for and what the window's state is
// (on stderr as well, where the test's output shows it).
void answerTimedOut(const QString &what, const QString &state)
{
    const QString reason
        = QStringLiteral("%1 within %2 s (%3)").arg(what).arg(veyra::test::scaledMs(waitLimitMs) / 1000).arg(state);
    std::cerr << "veyra_test_game_window: " << reason.toStdString() << std::endl;
    answer(QStringLiteral("error ") + reason);
}

QSize parseSize(const QString &text, QSize fallback)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2) {
        return fallback;
    }
    return {parts[0].toInt(), parts[1].toInt()};
}

QList<int> parseNumbers(const QString &text)
{
    QList<int> numbers;
    for (const QString &part : text.split(QLatin1Char(','))) {
        numbers.append(part.trimmed().toInt());
    }
    return numbers;
}

class Controller : public QObject
{
public:
    // The main window's size out of full screen.
    Controller(GameView *main, QSize normalSize)
        : m_main(main)
        , m_normalSize(normalSize)
        , m_input(fileno(stdin), QSocketNotifier::Read)
    {
        connect(&m_input, &QSocketNotifier::activated, this, [this] { readCommand(); });
    }

private:
    void readCommand()
    {
        std::string raw;
        if (!std::getline(std::cin, raw)) {
            QCoreApplication::quit();
            return;
        }
        const QString line = QString::fromUtf8(raw.c_str());
        if (line.trimmed().isEmpty()) {
            return;
        }
        const QString command = line.section(QLatin1Char(' '), 0, 0);
        const QString argument = line.section(QLatin1Char(' '), 1);
        if (command == QLatin1String("text")) {
            m_main->setText(argument);
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("title")) {
            m_main->setWindowTitle(argument);
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("save")) {
            answer(m_main->picture().save(argument, "PNG") ? QStringLiteral("ok") : QStringLiteral("error save"));
        } else if (command == QLatin1String("geometry")) {
            const QRect geometry = m_main->geometry();
            answer(QStringLiteral("geometry %1 %2 %3 %4")
                       .arg(geometry.x())
                       .arg(geometry.y())
                       .arg(geometry.width())
                       .arg(geometry.height()));
        } else if (command == QLatin1String("hide")) {
            m_main->hide();
            syncWithServer();
            // Done once a window manager has let go of it (back on the root, withdrawn, off
            // its list of windows).
            const bool hidden = waitFor([this] {
                const WindowState state = windowState(m_main);
                return !state.viewable
                    && (!state.windowManagerRuns || (state.topLevel && state.managedState <= 0 && !state.listed));
            });
            if (!hidden) {
                answerTimedOut(QStringLiteral("the window was not withdrawn"), windowState(m_main).describe());
                return;
            }
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("show")) {
            m_main->showNormal();
            const bool shown = waitFor([this] {
                if (!m_main->windowHandle()->isExposed()) {
                    return false;
                }
                const WindowState state = windowState(m_main);
                return state.viewable && state.settledInWindowManager();
            });
            if (!shown) {
                answerTimedOut(QStringLiteral("the window was not shown"), describe(m_main));
                return;
            }
            m_main->repaint();
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("minimize")) {
            m_main->showMinimized();
            if (!waitFor([this] { return !m_main->windowHandle()->isExposed(); })) {
                answerTimedOut(QStringLiteral("the window was not minimized"), describe(m_main));
                return;
            }
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("raise")) {
            m_main->raise();
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("full-screen")) {
            m_main->showFullScreen();
            const QSize screen = m_main->screen()->geometry().size();
            if (!waitFor([this, screen] { return m_main->size() == screen && isShownAndPainted(); })) {
                answerTimedOut(QStringLiteral("the window did not fill the screen"), describe(m_main));
                return;
            }
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("normal")) {
            m_main->showNormal();
            if (!waitFor([this] { return m_main->size() == m_normalSize && isShownAndPainted(); })) {
                answerTimedOut(QStringLiteral("the window did not return to its size"), describe(m_main));
                return;
            }
            syncWithServer();
            answer(QStringLiteral("ok"));
        } else if (command == QLatin1String("clicks")) {
            // Every event the server sent before this command has been read and handled.
            syncWithServer();
            QCoreApplication::processEvents();
            answer(QStringLiteral("clicks %1").arg(m_main->presses()));
        } else if (command == QLatin1String("quit")) {
            QCoreApplication::quit();
        } else {
            answer(QStringLiteral("error unknown command"));
        }
    }

    bool isShownAndPainted() const
    {
        return m_main->windowHandle()->isExposed() && m_main->hasPainted() && windowState(m_main).viewable;
    }

    GameView *m_main;
    const QSize m_normalSize;
    QSocketNotifier m_input;
};

} // namespace

int main(int argc, char *argv[])
{
    // The class part of WM_CLASS is the application name, which must be set before the
    // first window exists.
    QString windowClass;
    // Qt takes -title (the X11 option) for itself and gives it to the first normal window
    // only: read it here for every kind of window.
    QString title = QStringLiteral("Test Game");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--class") == 0) {
            windowClass = QString::fromUtf8(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--title") == 0) {
            title = QString::fromUtf8(argv[i + 1]);
        }
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_SCALE_FACTOR", "1");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    veyra::test::TimeLimits::setFactor(veyra::test::TimeLimits::factorFromEnvironment());
    QApplication application(argc, argv);
    if (!windowClass.isEmpty()) {
        QApplication::setApplicationName(windowClass);
    }
    watchRootProperties();

    QCommandLineParser parser;
    const QCommandLineOption titleOption(
        QStringLiteral("title"), QString(), QStringLiteral("text"), QStringLiteral("Test Game"));
    const QCommandLineOption sizeOption(
        QStringLiteral("size"), QString(), QStringLiteral("WxH"), QStringLiteral("960x540"));
    const QCommandLineOption positionOption(QStringLiteral("position"), QString(), QStringLiteral("X,Y"));
    const QCommandLineOption boxColorOption(
        QStringLiteral("box-color"), QString(), QStringLiteral("color"), QStringLiteral("#1e2a44"));
    const QCommandLineOption boxRectOption(QStringLiteral("box-rect"), QString(), QStringLiteral("X,Y,W,H"));
    const QCommandLineOption textOption(QStringLiteral("text"), QString(), QStringLiteral("text"));
    const QCommandLineOption textColorOption(
        QStringLiteral("text-color"), QString(), QStringLiteral("color"), QStringLiteral("#ffffff"));
    const QCommandLineOption fontSizeOption(
        QStringLiteral("font-size"), QString(), QStringLiteral("px"), QStringLiteral("40"));
    const QCommandLineOption classOption(QStringLiteral("class"), QString(), QStringLiteral("name"));
    const QCommandLineOption withoutClassOption(QStringLiteral("without-class"));
    const QCommandLineOption withoutPidOption(QStringLiteral("without-pid"));
    const QCommandLineOption toolOption(QStringLiteral("tool"));
    const QCommandLineOption dialogOption(QStringLiteral("dialog"));
    const QCommandLineOption extraWindowOption(QStringLiteral("extra-window"), QString(), QStringLiteral("title"));
    const QCommandLineOption framelessOption(QStringLiteral("frameless"));
    const QCommandLineOption resizableOption(QStringLiteral("resizable"));
    const QCommandLineOption fullScreenOption(QStringLiteral("full-screen"));
    const QCommandLineOption bypassOption(QStringLiteral("bypass-window-manager"));
    parser.addOptions({titleOption, sizeOption, positionOption, boxColorOption, boxRectOption, textOption,
        textColorOption, fontSizeOption, classOption, withoutClassOption, withoutPidOption, toolOption, dialogOption,
        extraWindowOption, framelessOption, resizableOption, fullScreenOption, bypassOption});
    parser.process(application);

    Scene scene;
    scene.size = parseSize(parser.value(sizeOption), scene.size);
    scene.boxColor = QColor(parser.value(boxColorOption));
    scene.textColor = QColor(parser.value(textColorOption));
    scene.text = parser.value(textOption);
    scene.fontPixelSize = parser.value(fontSizeOption).toInt();
    if (parser.isSet(boxRectOption)) {
        const QList<int> numbers = parseNumbers(parser.value(boxRectOption));
        if (numbers.size() == 4) {
            scene.boxRect = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
        }
    }
    if (scene.boxRect.isEmpty()) {
        scene.boxRect = defaultBoxRect(scene.size);
        scene.boxFollowsSize = true;
    }

    std::vector<std::unique_ptr<QWidget>> windows;
    const bool fullScreen = parser.isSet(fullScreenOption);
    auto main = std::make_unique<GameView>(scene, fullScreen || parser.isSet(resizableOption));
    GameView *mainView = main.get();
    main->setWindowTitle(title);
    if (parser.isSet(toolOption)) {
        main->setWindowFlag(Qt::Tool);
    }
    if (parser.isSet(dialogOption)) {
        main->setWindowFlag(Qt::Dialog);
    }
    if (parser.isSet(framelessOption)) {
        main->setWindowFlag(Qt::FramelessWindowHint);
    }
    if (parser.isSet(bypassOption)) {
        main->setWindowFlags(main->windowFlags() | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    }
    windows.push_back(std::move(main));
    for (const QString &title : parser.values(extraWindowOption)) {
        auto extra = std::make_unique<GameView>(scene, false);
        extra->setWindowTitle(title);
        windows.push_back(std::move(extra));
    }

    const QList<int> position = parseNumbers(parser.value(positionOption));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (position.size() == 2) {
            windows[i]->move(position[0] + static_cast<int>(i) * 40, position[1] + static_cast<int>(i) * 40);
        }
        if (i == 0 && fullScreen) {
            windows[i]->showFullScreen();
        } else {
            windows[i]->show();
        }
    }
    // Ready once every window is shown and painted and, where a window manager keeps a list
    // of the windows it manages, on that list: the manager maps a window before it lists it.
    const bool shown = waitFor([&windows, fullScreen, mainView] {
        if (fullScreen && mainView->size() != mainView->screen()->geometry().size()) {
            return false;
        }
        for (const auto &window : windows) {
            auto *view = static_cast<GameView *>(window.get());
            if (!view->windowHandle()->isExposed() || !view->hasPainted()
                || !windowState(view).settledInWindowManager()) {
                return false;
            }
        }
        return true;
    });
    if (!shown) {
        QStringList states;
        for (const auto &window : windows) {
            states
                << QStringLiteral("%1: %2").arg(window->winId()).arg(describe(static_cast<GameView *>(window.get())));
        }
        answerTimedOut(QStringLiteral("the windows were not shown"), states.join(QStringLiteral("; ")));
        return 1;
    }
    if (mainView->devicePixelRatioF() != 1.0) {
        answer(QStringLiteral("error device pixel ratio %1").arg(mainView->devicePixelRatioF()));
        return 1;
    }
    for (const auto &window : windows) {
        if (parser.isSet(withoutClassOption)) {
            deleteProperty(window.get(), "WM_CLASS");
        }
        if (parser.isSet(withoutPidOption)) {
            deleteProperty(window.get(), "_NET_WM_PID");
        }
    }
    syncWithServer();
    for (const auto &window : windows) {
        answer(QStringLiteral("window %1").arg(window->winId()));
    }
    answer(QStringLiteral("ready"));

    Controller controller(mainView, scene.size);
    return QApplication::exec();
}
