#include "ui/qt/idle_hook.h"

#include <QAbstractEventDispatcher>
#include <stdexcept>
#include <utility>

namespace ui {

IdleHook::IdleHook(std::function<void()> onIdle, QObject* parent)
    : QObject(parent), onIdle_(std::move(onIdle)) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr)
        throw std::logic_error("idle hook: this thread has no event dispatcher");
    // aboutToBlock comes only from a wait that may block, never from
    // processEvents() without WaitForMoreEvents, and a direct connection runs
    // the handler before the loop goes to sleep.
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &IdleHook::AboutToBlock,
            Qt::DirectConnection);
}

void IdleHook::AboutToBlock() {
    // A handler that waits in a nested loop would otherwise run itself again.
    if (!enabled_ || running_)
        return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    onIdle_();
}

}  // namespace ui
