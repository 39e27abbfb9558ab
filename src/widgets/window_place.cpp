#include "widgets/window_place.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <map>
#include <optional>
#include <utility>

namespace kararisu {

namespace {

// Window managers frame windows alike by kind: a dialog or a plain window,
// one the user can resize or not (a fixed window often has no resize grip).
using Kind = std::pair<int, bool>;

Kind kindOf(const QWidget& w) {
    return {int(w.windowType()), w.minimumSize() == w.maximumSize()};
}

// The frames the window manager has given, the last one of each kind.
struct FramesSeen {
    std::map<Kind, QMargins> byKind;
    std::optional<QMargins> last;
};

FramesSeen& framesSeen() {
    static FramesSeen seen;
    return seen;
}

// The frame Qt reports for a window on screen; none (all zero) until the
// window manager has framed it. Anything beyond a plausible frame is taken
// for none.
QMargins reportedFrame(const QWidget& w) {
    const QWindow* handle = w.windowHandle();
    if (!w.isVisible() || handle == nullptr) return {};
    const QMargins m = handle->frameMargins();
    constexpr int kWidest = 256;
    for (int side : {m.left(), m.top(), m.right(), m.bottom()})
        if (side < 0 || side > kWidest) return {};
    return m;
}

// Puts the window's outer rectangle, with the given frame around its client
// area, in the middle of its screen, and gives where the client area went.
// The client area is placed, not the frame: Qt takes a move() of a window
// that is created but not yet framed for the client area's position, and
// one made before for the frame's, while a client rectangle means the same
// at every stage.
QPoint setCentred(QWidget& w, QMargins frame, int lift) {
    const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return w.geometry().topLeft();
    const QRect room = screen->geometry();
    const QSize outer = w.size().grownBy(frame);
    const QPoint corner(room.x() + (room.width() - outer.width()) / 2,
                        room.y() + (room.height() - outer.height()) / 2 - lift);
    const QPoint client = corner + QPoint(frame.left(), frame.top());
    w.setGeometry(QRect(client, w.size()));
    return client;
}

// Rides along with one window: remembers the frame it was last given and,
// after a placement, watches the native window for a while. Each time it is
// exposed with a frame other than the one assumed (while the window frames
// it, the manager may report a passing frame first), the window is placed
// again, unless something else has moved it meanwhile.
class FrameWatch : public QObject {
  public:
    static constexpr const char* kName = "kararisu-frame-watch";

    explicit FrameWatch(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QString::fromLatin1(kName));
        window.installEventFilter(this);
        watchHandle();
    }

    // Only this file makes children of this name.
    static FrameWatch& of(QWidget& window) {
        if (FrameWatch* watch = find(window)) return *watch;
        return *new FrameWatch(window);
    }

    // The window's own frame, else the last of its kind, else the last seen.
    static QMargins expected(const QWidget& window, const FrameWatch* watch) {
        if (watch && watch->own_) return *watch->own_;
        const FramesSeen& seen = framesSeen();
        if (auto it = seen.byKind.find(kindOf(window)); it != seen.byKind.end()) return it->second;
        return seen.last.value_or(QMargins());
    }

    static FrameWatch* find(const QWidget& window) {
        return static_cast<FrameWatch*>(
            window.findChild<QObject*>(QString::fromLatin1(kName), Qt::FindDirectChildrenOnly));
    }

    void place(int lift) {
        const QMargins frame = expected(window_, this);
        assumed_ = frame;
        lift_ = lift;
        watching_ = true;
        shownAt_.invalidate();
        placedAt_ = setCentred(window_, frame, lift);
        if (window_.isVisible()) shownAt_.start();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_) {
            // The native window exists from the first show on.
            if (event->type() == QEvent::Show) {
                watchHandle();
                if (watching_) shownAt_.start();
            }
        } else if (watching_ && watched == handle_ &&
                   (event->type() == QEvent::Expose || event->type() == QEvent::Move)) {
            frameReported();
        }
        return false;
    }

  private:
    void watchHandle() {
        QWindow* handle = window_.windowHandle();
        if (handle == nullptr || handle == handle_) return;
        handle_ = handle;
        handle->installEventFilter(this);
    }

    void frameReported() {
        // Without a window manager (or for a window it leaves bare) no frame
        // ever comes, and the first placement was right.
        constexpr qint64 kPatienceMs = 3000;
        if (shownAt_.isValid() && shownAt_.elapsed() > kPatienceMs) {
            watching_ = false;
            return;
        }
        if (!handle_->isExposed()) return;
        const QMargins frame = reportedFrame(window_);
        if (frame.isNull()) return;
        if (window_.geometry().topLeft() != placedAt_) {
            watching_ = false;  // the user or the window manager moved it
            return;
        }
        own_ = frame;
        FramesSeen& seen = framesSeen();
        seen.byKind[kindOf(window_)] = frame;
        seen.last = frame;
        if (frame == assumed_) return;
        assumed_ = frame;
        placedAt_ = setCentred(window_, frame, lift_);
    }

    QWidget& window_;
    QPointer<QWindow> handle_;
    std::optional<QMargins> own_;
    QMargins assumed_;
    QPoint placedAt_;
    int lift_ = 0;
    bool watching_ = false;
    QElapsedTimer shownAt_;
};

}  // namespace

QMargins expectedFrame(const QWidget& window) {
    return FrameWatch::expected(window, FrameWatch::find(window));
}

void placeCentred(QWidget& window, int lift) {
    // A window about to be shown for the first time has its layout's size
    // only once the layout has run.
    if (QLayout* layout = window.layout()) layout->activate();
    FrameWatch::of(window).place(lift);
}

}  // namespace kararisu
