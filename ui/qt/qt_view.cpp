#include "ui/qt/qt_view.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <string>

namespace ui {

namespace {

// A layout that lacks what the logic names cannot run at all: stop at start-up
// with the control's name.
[[noreturn]] void Reject(app::Control control, const char* problem) {
    const std::string_view name = app::ControlName(control);
    qFatal("window layout: %.*s %s", static_cast<int>(name.size()), name.data(), problem);
}

// A call that does not fit its control: see app::View.
bool Fits(bool fits, app::Control control, const char* problem) {
    if (!fits) {
        const std::string text = std::string(app::ControlName(control)) + " " + problem;
        Q_ASSERT_X(false, "QtView", text.c_str());
    }
    return fits;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Kind>
Kind* As(QWidget& widget, app::Control control, const char* kind) {
    auto* typed = qobject_cast<Kind*>(&widget);
    Fits(typed != nullptr, control, kind);
    return typed;
}

}  // namespace

QtView::QtView(QWidget& root) : root_(root) {
    for (std::size_t i = 0; i < app::kControlCount; ++i) {
        const auto control = static_cast<app::Control>(i);
        const std::string_view name = app::kControlNames[i];
        const QList<QWidget*> found = root.findChildren<QWidget*>(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (found.isEmpty())
            Reject(control, "is missing");
        if (found.size() > 1)
            Reject(control, "appears more than once");
        widgets_[i] = found.front();
    }

    pages_ = qobject_cast<QTabWidget*>(&Widget(app::Control::PageControl1));
    if (pages_ == nullptr)
        Reject(app::Control::PageControl1, "is not a page control");
    for (app::Control page :
         {app::Control::TabSheet1, app::Control::TabSheet2, app::Control::TabSheet3,
          app::Control::TabSheet4, app::Control::TabSheet5}) {
        if (pages_->indexOf(&Widget(page)) < 0)
            Reject(page, "is not a page of PageControl1");
    }
}

QWidget& QtView::Widget(app::Control control) const {
    return *widgets_[static_cast<std::size_t>(control)];
}

int QtView::PageIndex(app::Control page) const {
    const int index = pages_->indexOf(&Widget(page));
    Fits(index >= 0, page, "is not a page of PageControl1");
    return index;
}

void QtView::SetVisible(app::Control control, bool visible) {
    // A page's widget belongs to the page control's stack; hiding it by hand
    // would leave an empty page area instead of hiding anything.
    if (Fits(pages_->indexOf(&Widget(control)) < 0, control,
             "is a page: use SetTabVisible or SetActivePage"))
        Widget(control).setVisible(visible);
}

void QtView::SetEnabled(app::Control control, bool enabled) {
    Widget(control).setEnabled(enabled);
}

void QtView::SetCaption(app::Control control, std::string_view text) {
    QWidget& widget = Widget(control);
    const int page = pages_->indexOf(&widget);
    if (page >= 0) {
        pages_->setTabText(page, FromUtf8(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        button->setText(FromUtf8(text));
    } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(FromUtf8(text));
    } else {
        Fits(false, control, "has no caption");
    }
}

void QtView::SetPosition(app::Control progressBar, int position) {
    auto* bar = As<QProgressBar>(Widget(progressBar), progressBar, "is not a progress bar");
    // QProgressBar ignores a value outside its range; a progress bar of the
    // platform clamps it, and so do we.
    if (bar != nullptr)
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

bool QtView::IsChecked(app::Control checkBox) {
    auto* box = As<QAbstractButton>(Widget(checkBox), checkBox, "is not a check box");
    return box != nullptr && box->isChecked();
}

void QtView::ReplaceLine(app::Control listBox, int index, std::string_view text) {
    auto* list = As<QListWidget>(Widget(listBox), listBox, "is not a list box");
    QListWidgetItem* item = list != nullptr ? list->item(index) : nullptr;
    if (Fits(item != nullptr, listBox, "has no line at that index"))
        item->setText(FromUtf8(text));
}

void QtView::SetActivePage(app::Control page) {
    pages_->setCurrentIndex(PageIndex(page));
}

app::Control QtView::ActivePage() {
    // The page control holds only the five pages, each found at start-up.
    const auto found = std::find(widgets_.begin(), widgets_.end(), pages_->currentWidget());
    return static_cast<app::Control>(found - widgets_.begin());
}

void QtView::SetTabVisible(app::Control page, bool visible) {
    pages_->setTabVisible(PageIndex(page), visible);
}

void QtView::ProcessPendingMessages() {
    // Without WaitForMoreEvents the dispatcher never announces that it is
    // about to block, so the idle handler cannot run from here.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtView::Close() {
    root_.window()->close();
}

}  // namespace ui
