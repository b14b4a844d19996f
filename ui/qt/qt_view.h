// The updater's window as app::View over the widgets of the loaded layout.
#pragma once

#include <array>
#include <string_view>

#include "app/view.h"

class QTabWidget;
class QWidget;

namespace ui {

class QtView final : public app::View {
  public:
    // Finds every control of the layout under `root` by its object name. A
    // control that is missing or appears twice, or pages outside the page
    // control, stop the program at start-up (qFatal) rather than let it
    // misbehave later. Later calls that do not fit their control (a caption
    // on a progress bar) assert in debug builds and change nothing.
    explicit QtView(QWidget& root);

    QWidget& Widget(app::Control control) const;

    void SetVisible(app::Control control, bool visible) override;
    void SetEnabled(app::Control control, bool enabled) override;
    void SetCaption(app::Control control, std::string_view text) override;
    void SetPosition(app::Control progressBar, int position) override;
    bool IsChecked(app::Control checkBox) override;
    void ReplaceLine(app::Control listBox, int index, std::string_view text) override;

    void SetActivePage(app::Control page) override;
    app::Control ActivePage() override;
    void SetTabVisible(app::Control page, bool visible) override;

    void ProcessPendingMessages() override;
    void Close() override;

  private:
    int PageIndex(app::Control page) const;

    QWidget& root_;
    std::array<QWidget*, app::kControlCount> widgets_{};
    QTabWidget* pages_ = nullptr;
};

}  // namespace ui
