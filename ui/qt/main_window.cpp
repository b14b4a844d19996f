#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>

#include "ui/qt/input_conventions.h"
#include "ui/qt/layout_extras.h"
#include "ui/qt/window_manager_title.h"
#include "ui_Update_Main.h"

// Q_INIT_RESOURCE cannot be used inside a namespace.
static void InitArtwork() {
    Q_INIT_RESOURCE(kestrun);
}

namespace ui {

MainWindow::MainWindow(platform::SerialApi& serial, platform::PortsRegistry& registry,
                       platform::PolledDeviceNotifications* notifications, QWidget* parent)
    : QWidget(parent), layout_(std::make_unique<Ui::TForm1>()) {
    InitArtwork();
    InstallFontSubstitutes();
    layout_->setupUi(this);
    ApplyLayoutExtras(*this);
    KeepEmptyTitleEmpty(*this);
    OfferNoContextMenus(*this);
    EnterPressesFocusedButton(*this);

    const QRect area = layout_->PageControl1->geometry();
    pageArea_ = {area.x(), area.y(), area.width(), area.height()};
    laidOutSize_ = {width(), height()};

    view_ = std::make_unique<QtView>(*this);
    logic_ = std::make_unique<app::TForm1>(*view_, serial, registry, notifications);
    ConnectButtons();
    idle_ = std::make_unique<IdleHook>([this] { logic_->ApplicationEvents1Idle(); });

    logic_->FormCreate();
    // The creation handler has registered for notices by now; a source that
    // posts nothing to the window is watched here instead.
    if (notifications != nullptr)
        notices_ = std::make_unique<DeviceNoticeWatcher>(*notifications, *logic_);
}

MainWindow::~MainWindow() = default;

void MainWindow::ConnectButtons() {
    app::TForm1* logic = logic_.get();
    connect(layout_->btnNEXT, &QPushButton::clicked, this, [logic] { logic->btnNEXTClick(); });
    connect(layout_->btnBACK, &QPushButton::clicked, this, [logic] { logic->btnBACKClick(); });
    connect(layout_->btnESC, &QPushButton::clicked, this, [logic] { logic->btnESCClick(); });
    connect(layout_->btnConnect, &QPushButton::clicked, this,
            [logic] { logic->btnConnectClick(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (close_.Close()) {
        idle_->SetEnabled(false);
        logic_->FormClose();
    }
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    KeepPageAreaAnchored();
}

void MainWindow::KeepPageAreaAnchored() {
    const app::Rect r = app::AnchoredPageArea(pageArea_, laidOutSize_, {width(), height()});
    layout_->PageControl1->setGeometry(r.x, r.y, r.width, r.height);
}

}  // namespace ui
