// The shared recording view, with a misuse failing the running test,
// as it would stop a debug build.
#pragma once

#include <gtest/gtest.h>
#include "stand_ins/recording_view.h"

namespace fakes {

class RecordingView : public stand_ins::RecordingView {
  protected:
    void Misused(app::Control c, const char* problem) override {
        ADD_FAILURE() << "view misused: " << app::ControlName(c) << " " << problem;
    }
};

}  // namespace fakes
