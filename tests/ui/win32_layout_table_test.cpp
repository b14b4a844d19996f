// The table the Windows window is built from, held against the layout as Qt
// loads it: the same controls under the same parents, in the same places,
// with the same texts, fonts and colours.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/qt/layout_extras.h"
#include "ui/win32/layout_index.h"
#include "ui/win32/update_main_layout.h"
#include "ui_Update_Main.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

namespace layout = ui::win32::layout;
using layout::Kind;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Lines(const layout::LayoutControl& entry) {
    QStringList lines;
    for (std::string_view line : entry.lines)
        lines << Q(line);
    return lines;
}

TEST(Win32LayoutTable, NamesEveryControlOfTheLogicOnce) {
    const layout::ControlIndex index = layout::IndexControls(layout::kControls);
    for (std::size_t i = 0; i < app::kControlCount; ++i)
        EXPECT_EQ(index[i]->name, app::kControlNames[i]);
}

TEST(Win32LayoutTable, AgreesWithTheLayoutAsQtLoadsIt) {
    QWidget root;
    Ui::TForm1 form;
    form.setupUi(&root);
    ui::ApplyLayoutExtras(root);
    root.show();
    EXPECT_EQ(Q(layout::kWindow.name), root.objectName());
    EXPECT_EQ(QSize(layout::kWindow.clientWidth, layout::kWindow.clientHeight), root.size());
    EXPECT_EQ(Q(layout::kWindow.title), root.windowTitle());
    EXPECT_EQ(Q(layout::kWindow.font.family), root.font().family());
    EXPECT_EQ(layout::kWindow.font.pixelHeight, root.font().pixelSize());

    for (const layout::LayoutControl& entry : layout::kControls) {
        SCOPED_TRACE(std::string(entry.name));
        auto* widget = root.findChild<QWidget*>(Q(entry.name));
        ASSERT_NE(widget, nullptr);
        const QRect place(entry.x, entry.y, entry.width, entry.height);
        if (entry.kind == Kind::Page) {
            form.PageControl1->setCurrentWidget(widget);
            EXPECT_EQ(QRect(widget->mapTo(form.PageControl1, QPoint()), widget->size()), place);
            continue;
        }
        EXPECT_EQ(widget->parentWidget()->objectName(), Q(entry.parent));
        EXPECT_EQ(widget->geometry(), place);
        EXPECT_EQ(widget->isVisibleTo(&root), entry.visible);
        const QFont font = widget->font();
        EXPECT_EQ(font.pixelSize(), entry.font.pixelHeight);
        EXPECT_EQ(font.bold(), entry.font.bold);
        const QColor color = entry.hasColor
                                 ? QColor(entry.color.red, entry.color.green, entry.color.blue)
                                 : root.palette().color(QPalette::WindowText);
        EXPECT_EQ(widget->palette().color(QPalette::WindowText), color);

        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const auto horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
            EXPECT_EQ(entry.align, horizontal & Qt::AlignRight     ? layout::Align::Right
                                   : horizontal & Qt::AlignHCenter ? layout::Align::Center
                                                                   : layout::Align::Left);
            if (entry.kind == Kind::Picture) {
                EXPECT_EQ(entry.picture, "LOGO");
                continue;
            }
            EXPECT_EQ(label->text(), Q(entry.text));
        }
        if (entry.kind == Kind::Glyph) {
            EXPECT_EQ(Q(entry.fallbackFamily), font.family());
            EXPECT_TRUE(entry.font.family == "Wingdings" && entry.font.symbol);
            EXPECT_EQ(entry.symbolCode, entry.text == "\u2714" ? 0xFC : 0xFB);
        } else {
            EXPECT_EQ(Q(entry.font.family), font.family());
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(entry.kind, qobject_cast<QCheckBox*>(widget) ? Kind::CheckBox : Kind::Button);
            EXPECT_EQ(button->text(), Q(entry.text));
            EXPECT_EQ(button->isChecked(), entry.checked);
        }
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            EXPECT_EQ(entry.kind, Kind::List);
            QStringList lines;
            for (int i = 0; i < list->count(); ++i)
                lines << list->item(i)->text();
            EXPECT_EQ(lines, Lines(entry));
            EXPECT_EQ(list->property("itemHeight").toInt(), entry.itemHeight);
        }
        if (auto* text = qobject_cast<QTextEdit*>(widget)) {
            EXPECT_EQ(entry.kind, Kind::RichText);
            EXPECT_EQ(text->toPlainText().split('\n'), Lines(entry));
            EXPECT_TRUE(entry.readOnly && text->isReadOnly());
            EXPECT_TRUE(entry.horizontal == layout::ScrollBar::On &&
                        entry.vertical == layout::ScrollBar::On);
        }
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            EXPECT_EQ(entry.kind, Kind::ProgressBar);
            EXPECT_EQ(QList<int>({bar->minimum(), bar->maximum(), bar->value()}),
                      QList<int>({entry.minimum, entry.maximum, entry.value}));
        }
        if (auto* pages = qobject_cast<QTabWidget*>(widget)) {
            EXPECT_EQ(entry.kind, Kind::PageArea);
            EXPECT_EQ(pages->property("tabHeight").toInt(), entry.tabHeight);
        }
    }
}

}  // namespace
}  // namespace ui_test
