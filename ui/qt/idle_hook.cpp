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
    if (enabled_)
        running_.Run(onIdle_);
}

}  // namespace ui
