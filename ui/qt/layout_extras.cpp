#include "ui/qt/layout_extras.h"

#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace ui {

namespace {

constexpr const char* kFontPixelSizeProperty = "fontPixelSize";
constexpr const char* kItemHeightProperty = "itemHeight";
constexpr const char* kTabWidthProperty = "tabWidth";
constexpr const char* kTabHeightProperty = "tabHeight";

// Draws a static-text line: at the layout's line height when it gives one,
// and never with the focus frame or highlight of a current row, which a list
// that takes the keyboard focus (the version list does, on its place in the
// tab order, e.g. when an update disables the button that had it) would
// otherwise draw around its first line.
class StaticTextDelegate final : public QStyledItemDelegate {
  public:
    StaticTextDelegate(int height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        return height_ > 0 ? QSize(natural.width(), height_) : natural;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, plain, index);
    }

  private:
    int height_;
};

int IntProperty(const QWidget& widget, const char* name) {
    bool ok = false;
    const int value = widget.property(name).toInt(&ok);
    return ok ? value : 0;
}

void ApplyPixelSize(QWidget& widget) {
    const int pixels = IntProperty(widget, kFontPixelSizeProperty);
    if (pixels <= 0)
        return;
    QFont font = widget.font();
    font.setPixelSize(pixels);
    widget.setFont(font);
}

// The layout's list boxes are static text: flat, on the window's colour, and
// nothing in them can be selected.
void MakeStaticText(QListWidget& list) {
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    list.setPalette(palette);
    list.setSelectionMode(QAbstractItemView::NoSelection);
    list.setCurrentRow(-1);
    list.setItemDelegate(new StaticTextDelegate(IntProperty(list, kItemHeightProperty), &list));
}

// Swallows every way the user has of changing the page of a page control
// himself: its keys for the next and previous tab, and clicks, wheel turns and
// keys on its tab row. Pages change only through the program, which keeps
// the wizard's buttons and state in step with them.
class PageSwitchBlocker final : public QObject {
  public:
    explicit PageSwitchBlocker(QTabWidget& pages) : QObject(&pages), tabs_(pages.tabBar()) {
        pages.installEventFilter(this);
        tabs_->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Events keep coming while the page control is being destroyed, so
        // the tab row is recognised by address alone.
        if (watched == tabs_) {
            switch (event->type()) {
                case QEvent::MouseButtonPress:
                case QEvent::MouseButtonDblClick:
                case QEvent::MouseButtonRelease:
                case QEvent::MouseMove:
                case QEvent::Wheel:
                case QEvent::KeyPress:
                    return true;
                default:
                    return false;
            }
        }
        if (event->type() == QEvent::KeyPress)
            return IsTabSwitchKey(*static_cast<QKeyEvent*>(event));
        return false;
    }

  private:
    static bool IsTabSwitchKey(const QKeyEvent& key) {
        if (!key.modifiers().testFlag(Qt::ControlModifier))
            return false;
        switch (key.key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                return true;
            default:
                return false;
        }
    }

    QObject* tabs_;
};

// The page area's tabs are never offered to the user: they form a row of
// flat, tiny tabs without captions, which the panel above them covers. The
// style sheet goes on the tab bar alone, because a style sheet on the page
// area would fix the fonts of every control on the pages at the moment it
// is applied.
void MakeFlatTabRow(QTabWidget& pages) {
    const int width = IntProperty(pages, kTabWidthProperty);
    const int height = IntProperty(pages, kTabHeightProperty);
    if (width <= 0 || height <= 0)
        return;
    QTabBar& tabs = *pages.tabBar();
    tabs.setDrawBase(false);
    tabs.setExpanding(false);
    tabs.setFocusPolicy(Qt::NoFocus);
    tabs.setStyleSheet(QStringLiteral("QTabBar::tab { width: %1px; height: %2px; margin: 0px; "
                                      "padding: 0px; border: none; }")
                           .arg(width)
                           .arg(height));
    new PageSwitchBlocker(pages);
}

}  // namespace

void InstallFontSubstitutes() {
    // Liberation Sans and its kin share Arial's metrics, the nearest to the
    // layout's bitmap font; DejaVu Sans is always there but runs wider.
    QFont::insertSubstitutions(
        QString::fromLatin1(kLayoutFontFamily),
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
         QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
}

void ApplyLayoutExtras(QWidget& root) {
    QPalette palette = root.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    root.setPalette(palette);

    ApplyPixelSize(root);
    for (QWidget* widget : root.findChildren<QWidget*>())
        ApplyPixelSize(*widget);
    for (QListWidget* list : root.findChildren<QListWidget*>())
        MakeStaticText(*list);
    for (QTabWidget* pages : root.findChildren<QTabWidget*>())
        MakeFlatTabRow(*pages);
    // Labels paint their own background, as the window's labels always have:
    // where two status labels share a place, the one above hides the one
    // below ("ОШИБКА!!!" over the write row's "ОК") instead of mixing with it.
    for (QLabel* label : root.findChildren<QLabel*>())
        label->setAutoFillBackground(true);
}

}  // namespace ui
