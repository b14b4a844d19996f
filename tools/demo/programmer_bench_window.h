// The programmer bench's window: plug in and unplug, the programmer's
// behaviour and pace for the next plug-in, and a live view of what the
// programmer received.
#pragma once

#include <QWidget>

#include "tools/demo/programmer_bench.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace demo {

class ProgrammerBenchWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit ProgrammerBenchWindow(ProgrammerBench& bench, QWidget* parent = nullptr);

    // Redraws the live view; a timer calls it while the window is open.
    void Refresh();

  private:
    ProgrammerBench& bench_;
    QPushButton* plug_;
    QComboBox* behaviour_;
    QSpinBox* block_;
    QComboBox* pace_;
    QLabel* report_;
};

}  // namespace demo
