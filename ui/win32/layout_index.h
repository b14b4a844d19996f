// Finds each control of the logic in the generated layout table.
#pragma once

#include <array>
#include <span>
#include <stdexcept>
#include <string>

#include "ui/win32/layout_types.h"

namespace ui::win32::layout {

using ControlIndex = std::array<const LayoutControl*, app::kControlCount>;

// Each app::Control's entry in `table`. Throws std::logic_error when the
// table lacks a control, holds one twice or holds one the logic does not
// know, so that a layout that went out of step stops the program at start-up.
inline ControlIndex IndexControls(std::span<const LayoutControl> table) {
    ControlIndex index{};
    for (const LayoutControl& entry : table) {
        const auto control = app::ControlByName(entry.name);
        if (!control)
            throw std::logic_error("window layout: " + std::string(entry.name) +
                                   " is no control the logic knows");
        const LayoutControl*& slot = index[static_cast<std::size_t>(*control)];
        if (slot != nullptr)
            throw std::logic_error("window layout: " + std::string(entry.name) +
                                   " appears more than once");
        slot = &entry;
    }
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (index[i] == nullptr)
            throw std::logic_error("window layout: " + std::string(app::kControlNames[i]) +
                                   " is missing");
    }
    return index;
}

}  // namespace ui::win32::layout
