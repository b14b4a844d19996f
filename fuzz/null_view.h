// A window that does nothing but remember its page, for driving the window
// logic at full speed where only the logic's own behaviour is under test.
#pragma once

#include "app/view.h"

namespace fuzzing {

class NullView : public app::View {
  public:
    void SetVisible(app::Control, bool) override {}
    void SetEnabled(app::Control, bool) override {}
    void SetCaption(app::Control, std::string_view) override {}
    void SetPosition(app::Control, int) override {}
    bool IsChecked(app::Control) override { return false; }
    void ReplaceLine(app::Control, int, std::string_view) override {}
    void SetActivePage(app::Control page) override { page_ = page; }
    app::Control ActivePage() override { return page_; }
    void SetTabVisible(app::Control, bool) override {}
    void ProcessPendingMessages() override {}
    void Close() override {}

  private:
    app::Control page_ = app::Control::TabSheet1;
};

}  // namespace fuzzing
