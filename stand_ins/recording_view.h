// A View that remembers what the logic did to each control, for driving the
// window logic without a toolkit (the tests' page and indicator checks, the
// benchmarks' timing). A call that a real view would refuse (a caption on a
// progress bar, hiding a page, a line that is not there) goes to Misused:
// here a line on stderr and a count, in the tests a failure.
#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/view.h"

namespace stand_ins {

class RecordingView : public app::View {
  public:
    struct ControlState {
        bool visible = true;
        bool enabled = true;
        bool checked = false;
        bool tabVisible = true;
        int position = 0;
        std::string caption;
        std::vector<std::string> lines;
    };

    RecordingView() {
        // The version list as the layout holds it, before start-up rewrites it.
        Get(app::Control::ListBoxVer).lines = {"Программа обновления",
                                               "встроенного программного",
                                               "обеспечения ",
                                               "изделия GPS Kestrun",
                                               "",
                                               "версия: v.1.8.6",
                                               "дата: 02.11.2011",
                                               ""};
        Get(app::Control::btnNEXT).caption = "Далее";
    }

    ControlState& Get(app::Control c) { return controls_[static_cast<std::size_t>(c)]; }
    bool Visible(app::Control c) { return Get(c).visible; }
    bool Enabled(app::Control c) { return Get(c).enabled; }

    // Runs inside each ProcessPendingMessages, as a click would be dispatched there.
    std::function<void(int call)> onProcessMessages;
    // The toolkit runs the window's close handler when the window closes.
    std::function<void()> onClose;
    int processMessagesCalls = 0;
    int misuses = 0;
    int closeCalls = 0;
    // Positions set on the bars, in order.
    std::vector<int> writePositions, verifyPositions;

    void SetVisible(app::Control c, bool v) override {
        Expect(!IsPage(c), c, "is a page: use SetTabVisible or SetActivePage");
        Get(c).visible = v;
    }
    void SetEnabled(app::Control c, bool e) override { Get(c).enabled = e; }
    void SetCaption(app::Control c, std::string_view t) override {
        Expect(IsPage(c) || Is(c, {"btn", "Button", "lb", "Label", "txt", "cb"}), c,
               "has no caption");
        Get(c).caption = t;
    }
    void SetPosition(app::Control c, int p) override {
        Expect(Is(c, {"Bar"}), c, "is not a progress bar");
        Get(c).position = p;
        if (c == app::Control::BarWrite)
            writePositions.push_back(p);
        if (c == app::Control::BarVerify)
            verifyPositions.push_back(p);
    }
    bool IsChecked(app::Control c) override {
        Expect(Is(c, {"cb"}), c, "is not a check box");
        return Get(c).checked;
    }
    void ReplaceLine(app::Control c, int index, std::string_view text) override {
        auto& lines = Get(c).lines;
        if (Expect(index >= 0 && static_cast<std::size_t>(index) < lines.size(), c,
                   "has no line at that index"))
            lines[static_cast<std::size_t>(index)] = text;
    }
    void SetActivePage(app::Control page) override {
        if (Expect(IsPage(page), page, "is not a page"))
            active_ = page;
    }
    app::Control ActivePage() override { return active_; }
    void SetTabVisible(app::Control page, bool v) override {
        Expect(IsPage(page), page, "is not a page");
        Get(page).tabVisible = v;
    }
    void ProcessPendingMessages() override {
        ++processMessagesCalls;
        if (onProcessMessages)
            onProcessMessages(processMessagesCalls);
    }
    void Close() override {
        ++closeCalls;
        if (onClose)
            onClose();
    }

  protected:
    virtual void Misused(app::Control c, const char* problem) {
        ++misuses;
        std::fprintf(stderr, "view misused: %s %s\n", std::string(app::ControlName(c)).c_str(),
                     problem);
    }

  private:
    static bool IsPage(app::Control c) { return Is(c, {"TabSheet"}); }
    // Controls are named by a kind prefix and a role.
    static bool Is(app::Control c, std::initializer_list<std::string_view> prefixes) {
        for (std::string_view prefix : prefixes) {
            if (app::ControlName(c).starts_with(prefix))
                return true;
        }
        return false;
    }
    bool Expect(bool fits, app::Control c, const char* problem) {
        if (!fits)
            Misused(c, problem);
        return fits;
    }

    std::array<ControlState, app::kControlCount> controls_{};
    app::Control active_ = app::Control::TabSheet1;
};

}  // namespace stand_ins
