#include "tools/demo/programmer_bench_window.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "image/image_store.h"

namespace demo {
namespace {

constexpr int kRefreshMs = 200;
constexpr int kFirmwareBlocks = static_cast<int>(image::FirmwareBlocks);
constexpr int kDefaultBlock = 100;

}  // namespace

ProgrammerBenchWindow::ProgrammerBenchWindow(ProgrammerBench& bench, QWidget* parent)
    : QWidget(parent),
      bench_(bench),
      plug_(new QPushButton(this)),
      behaviour_(new QComboBox(this)),
      block_(new QSpinBox(this)),
      pace_(new QComboBox(this)),
      report_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Programmer bench"));
    plug_->setObjectName(QStringLiteral("plug"));
    behaviour_->setObjectName(QStringLiteral("behaviour"));
    block_->setObjectName(QStringLiteral("block"));
    pace_->setObjectName(QStringLiteral("pace"));
    report_->setObjectName(QStringLiteral("report"));

    for (std::string_view name : BehaviourNames)
        behaviour_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    block_->setRange(1, kFirmwareBlocks);
    block_->setValue(kDefaultBlock);
    pace_->addItem(QStringLiteral("line speed (115200, or 9600)"));
    pace_->addItem(QStringLiteral("as fast as possible"));
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    report_->setMinimumSize(300, 250);

    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("Behaviour"), behaviour_);
    settings->addRow(QStringLiteral("Block n"), block_);
    settings->addRow(QStringLiteral("Pace"), pace_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addWidget(new QLabel(QStringLiteral("Settings apply at the next plug-in."), this));
    layout->addWidget(plug_);
    layout->addWidget(report_, 1);

    connect(plug_, &QPushButton::clicked, this, [this] {
        if (bench_.PluggedIn())
            bench_.Unplug();
        else
            bench_.PlugIn(static_cast<Behaviour>(behaviour_->currentIndex()),
                          static_cast<std::uint32_t>(block_->value()),
                          static_cast<Pace>(pace_->currentIndex()));
        Refresh();
    });
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ProgrammerBenchWindow::Refresh);
    timer->start(kRefreshMs);
    Refresh();
}

void ProgrammerBenchWindow::Refresh() {
    plug_->setText(bench_.PluggedIn() ? QStringLiteral("Unplug") : QStringLiteral("Plug in"));
    report_->setText(QString::fromStdString(bench_.Report()));
}

}  // namespace demo
