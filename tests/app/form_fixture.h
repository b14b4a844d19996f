// TForm1 behind a recording view and a port that never answers, for the
// page, button and indicator logic.
#pragma once

#include <gtest/gtest.h>

#include "app/Update_Main.h"
#include "fakes/recording_view.h"
#include "stand_ins/counting_serial_api.h"
#include "stand_ins/fixed_ports_registry.h"

namespace apptest {

using app::Control;

class CountingNotifications : public platform::DeviceNotifications {
  public:
    int registrations = 0;
    bool RegisterDeviceNotificationA() override {
        ++registrations;
        return false;
    }
};

class FormTest : public ::testing::Test {
  protected:
    FormTest() {
        view.onClose = [this] { form.FormClose(); };
        form.FormCreate();
    }

    void GoToPage(Control page) {
        while (view.ActivePage() != page) {
            ASSERT_TRUE(view.Enabled(Control::btnNEXT));
            form.btnNEXTClick();
        }
    }

    // Opens the pretend port the way a successful connection leaves it.
    void PretendConnected() {
        auto& s = form.State();
        s.PortHandle = api.CreateFileA(api.presentPath);
        s.PortOpen = true;
        s.Connected = true;
    }

    fakes::RecordingView view;
    stand_ins::CountingSerialApi api;
    stand_ins::FixedPortsRegistry registry;
    CountingNotifications notifications;
    app::TForm1 form{view, api, registry, &notifications};
};

}  // namespace apptest
