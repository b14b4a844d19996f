#include "ui/qt/input_conventions.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace ui {

namespace {

class EnterKeyPresser final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto& key = *static_cast<QKeyEvent*>(event);
        // With Shift, Ctrl or Alt held, Enter presses nothing.
        const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !plain || (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter))
            return false;
        // A held key repeats: each repeat would press again and skip a page.
        if (!key.isAutoRepeat())
            button->click();
        return true;
    }
};

}  // namespace

void OfferNoContextMenus(QWidget& root) {
    // PreventContextMenu, unlike NoContextMenu, does not pass the request on
    // to the parent. The children include each scroll area's viewport and
    // scroll bars.
    root.setContextMenuPolicy(Qt::PreventContextMenu);
    for (QWidget* widget : root.findChildren<QWidget*>())
        widget->setContextMenuPolicy(Qt::PreventContextMenu);
}

void EnterPressesFocusedButton(QWidget& root) {
    auto* presser = new EnterKeyPresser(&root);
    for (QPushButton* button : root.findChildren<QPushButton*>())
        button->installEventFilter(presser);
}

}  // namespace ui
