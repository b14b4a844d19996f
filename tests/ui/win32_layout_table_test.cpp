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

QStringList Lines(const layout::ControlSpec& spec) {
    QStringList lines;
    for (std::string_view line : spec.lines)
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

    for (const layout::ControlSpec& spec : layout::kControls) {
        SCOPED_TRACE(std::string(spec.name));
        auto* widget = root.findChild<QWidget*>(Q(spec.name));
        ASSERT_NE(widget, nullptr);
        const QRect place(spec.x, spec.y, spec.width, spec.height);
        if (spec.kind == Kind::Page) {
            form.PageControl1->setCurrentWidget(widget);
            EXPECT_EQ(QRect(widget->mapTo(form.PageControl1, QPoint()), widget->size()), place);
            continue;
        }
        EXPECT_EQ(widget->parentWidget()->objectName(), Q(spec.parent));
        EXPECT_EQ(widget->geometry(), place);
        EXPECT_EQ(widget->isVisibleTo(&root), spec.visible);
        const QFont font = widget->font();
        EXPECT_EQ(font.pixelSize(), spec.font.pixelHeight);
        EXPECT_EQ(font.bold(), spec.font.bold);
        const QColor color = spec.hasColor
                                 ? QColor(spec.color.red, spec.color.green, spec.color.blue)
                                 : root.palette().color(QPalette::WindowText);
        EXPECT_EQ(widget->palette().color(QPalette::WindowText), color);

        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const auto horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
            EXPECT_EQ(spec.align, horizontal & Qt::AlignRight     ? layout::Align::Right
                                  : horizontal & Qt::AlignHCenter ? layout::Align::Center
                                                                  : layout::Align::Left);
            if (spec.kind == Kind::Picture) {
                EXPECT_EQ(spec.picture, "LOGO");
                continue;
            }
            EXPECT_EQ(label->text(), Q(spec.text));
        }
        if (spec.kind == Kind::Glyph) {
            EXPECT_EQ(Q(spec.fallbackFamily), font.family());
            EXPECT_TRUE(spec.font.family == "Wingdings" && spec.font.symbol);
            EXPECT_EQ(spec.symbolCode, spec.text == "\u2714" ? 0xFC : 0xFB);
        } else {
            EXPECT_EQ(Q(spec.font.family), font.family());
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(spec.kind, qobject_cast<QCheckBox*>(widget) ? Kind::CheckBox : Kind::Button);
            EXPECT_EQ(button->text(), Q(spec.text));
            EXPECT_EQ(button->isChecked(), spec.checked);
        }
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            EXPECT_EQ(spec.kind, Kind::List);
            QStringList lines;
            for (int i = 0; i < list->count(); ++i)
                lines << list->item(i)->text();
            EXPECT_EQ(lines, Lines(spec));
            EXPECT_EQ(list->property("itemHeight").toInt(), spec.itemHeight);
        }
        if (auto* text = qobject_cast<QTextEdit*>(widget)) {
            EXPECT_EQ(spec.kind, Kind::RichText);
            EXPECT_EQ(text->toPlainText().split('\n'), Lines(spec));
            EXPECT_TRUE(spec.readOnly && text->isReadOnly());
            EXPECT_TRUE(spec.horizontal == layout::ScrollBar::On &&
                        spec.vertical == layout::ScrollBar::On);
        }
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            EXPECT_EQ(spec.kind, Kind::ProgressBar);
            EXPECT_EQ(QList<int>({bar->minimum(), bar->maximum(), bar->value()}),
                      QList<int>({spec.minimum, spec.maximum, spec.value}));
        }
        if (auto* pages = qobject_cast<QTabWidget*>(widget)) {
            EXPECT_EQ(spec.kind, Kind::PageArea);
            EXPECT_EQ(pages->property("tabHeight").toInt(), spec.tabHeight);
        }
    }
}

}  // namespace
}  // namespace ui_test
