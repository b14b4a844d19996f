// The window as laid out: every control under its name, in its place, with
// its text, font and colour.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_version.h"
#include "app/view.h"
#include "ui/qt/layout_extras.h"
#include "ui_Update_Main.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

enum class Kind { Label, Glyph, List, Button, CheckBox, Bar, RichText, Image, PageArea, Panel };
enum class Align { Left, Right, Center };

constexpr int kWindowFont = 11;
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kOlive(128, 128, 0);
const QColor kDefault;  // the style's own text colour

struct Control {
    const char* name;
    const char* parent;
    QRect geometry;
    Kind kind;
    std::vector<std::string> text;  // one caption, or the lines of a list or text box
    int pixelSize = 0;              // 0: the control's font is not specified
    bool bold = false;
    QColor color = kDefault;
    Align align = Align::Left;
    int itemHeight = 0;
};

// The welcome page's text; the driver address is the chip vendor's page.
const std::vector<std::string> kWelcome = {
    "GPS Kestrun - с нами безопасно!",
    "Данная программа обновит программное ",
    "обеспечение. Во время обновления ",
    "категорически запрещается отсоединять ",
    "разъемы и нажимать на Тревожную кнопку во ",
    "избежание записи ошибочных данных. ",
    "ВНИМАНИЕ! Для работы данной программы ",
    "необходимо установить драйвер виртуального ",
    "\u0421\u041e\u041c порта фирмы Silicon Laboratories.",
    "Файл CP210x_VCP_Win_XP_S2K3_Vista_7.exe ",
    "находится в архиве, и также доступен по ссылке  ",
    "https://www.silabs.com/",
    "developer-tools/",
    "usb-to-uart-bridge-",
    "vcp-drivers",
    "",
    "Если драйвер еще не установлен, установите ",
    "его.",
};

const std::vector<Control> kControls = {
    // The fixed frame.
    {"Image6", "TForm1", {16, 40, 153, 89}, Kind::Image, {}},
    {"ListBoxVer",
     "TForm1",
     {16, 168, 153, 193},
     Kind::List,
     {"Программа обновления", "встроенного программного", "обеспечения ", "изделия GPS Kestrun", "",
      "версия: v" KESTRUN_PROGRAM_VERSION " T415", "дата: 25.02.2015", ""},
     kWindowFont,
     false,
     kDefault,
     Align::Left,
     13},
    {"PageControl1", "TForm1", {183, 0, 417, 345}, Kind::PageArea, {}},
    {"btnESC", "TForm1", {200, 360, 89, 25}, Kind::Button, {"Отмена"}, kWindowFont},
    {"btnBACK", "TForm1", {344, 360, 89, 25}, Kind::Button, {"Назад"}, kWindowFont},
    {"btnNEXT", "TForm1", {488, 359, 89, 25}, Kind::Button, {"Далее"}, kWindowFont},
    {"Panel1", "TForm1", {104, 0, 177, 33}, Kind::Panel, {}},
    // Page 1.
    {"RichEdit1", "TabSheet1", {0, 16, 401, 289}, Kind::RichText, kWelcome, 16},
    {"Button1", "TabSheet1", {376, 320, 89, 25}, Kind::Button, {"Отмена"}, kWindowFont},
    {"Button2", "TabSheet1", {480, 319, 89, 25}, Kind::Button, {"Далее"}, kWindowFont},
    // Page 2.
    {"ListBox1",
     "TabSheet2",
     {0, 16, 377, 289},
     Kind::List,
     {"1. Снимите верхнюю крышку с устройства GPS ", "Kestrun", "", "2. Удалите батарейки ", "",
      "3. Подключите USB-программатор Arbalink к ", "персональному компьютеру и к устройству ",
      "GPS Kestrun.", "", "Если все сделано правильно, то после ", "подключения на устойстве ",
      "загорится светодиод (постоянное горение).", " ", "Для продолжения нажмите кнопку \"Далее\""},
     15,
     true,
     kDefault,
     Align::Left,
     16},
    // Page 3.
    {"Label1", "TabSheet3", {8, 16, 150, 24}, Kind::Label, {"СОЕДИНЕНИЕ:"}, 19, true},
    {"lbConnected",
     "TabSheet3",
     {248, 24, 135, 20},
     Kind::Label,
     {"УСТАНОВЛЕНО"},
     16,
     true,
     kGreen,
     Align::Right},
    {"lbNotConnected",
     "TabSheet3",
     {218, 24, 165, 20},
     Kind::Label,
     {"НЕ УСТАНОВЛЕНО"},
     16,
     true,
     kRed,
     Align::Right},
    {"ListBox6",
     "TabSheet3",
     {8, 40, 209, 33},
     Kind::List,
     {"Проверье правильность соединений и ", "нажмите кнопку \"Соединение\"."},
     kWindowFont,
     false,
     kDefault,
     Align::Left,
     13},
    {"txtConnFail",
     "TabSheet3",
     {232, 40, 45, 75},
     Kind::Glyph,
     {"\u2718"},
     64,
     false,
     kRed,
     Align::Center},
    {"txtConnOK",
     "TabSheet3",
     {312, 40, 54, 75},
     Kind::Glyph,
     {"\u2714"},
     64,
     false,
     kGreen,
     Align::Center},
    {"btnConnect", "TabSheet3", {8, 80, 89, 25}, Kind::Button, {"Соединение"}, kWindowFont},
    {"ListBox2",
     "TabSheet3",
     {0, 120, 377, 153},
     Kind::List,
     {"Для сохранения пользовательских настроек, ", "таких как:", "- режим работы",
      "- номер владельца", "- пароль", "и т.д. установите флажок. В противном случае ",
      "после обновления все настройки будут ", "установлены в соответствии с заводскими.", ""},
     15,
     true,
     kDefault,
     Align::Left,
     16},
    {"cbKeepUser",
     "TabSheet3",
     {0, 280, 377, 33},
     Kind::CheckBox,
     {"Сохранить пользовательские настройки"},
     16},
    // Page 4.
    {"lbWrite", "TabSheet4", {0, 16, 114, 24}, Kind::Label, {"ЗАГРУЗКА:"}, 19, true},
    {"BarWrite", "TabSheet4", {0, 48, 273, 17}, Kind::Bar, {}},
    {"lbWriteOn",
     "TabSheet4",
     {326, 48, 65, 20},
     Kind::Label,
     {"ОБМЕН"},
     16,
     true,
     kOlive,
     Align::Right},
    {"lbWriteOK",
     "TabSheet4",
     {366, 48, 25, 20},
     Kind::Label,
     {"\u041e\u041a"},
     16,
     true,
     kGreen,
     Align::Right},
    {"lbWriteErr",
     "TabSheet4",
     {301, 48, 90, 20},
     Kind::Label,
     {"ОШИБКА!!!"},
     16,
     true,
     kRed,
     Align::Right},
    {"lbVerify", "TabSheet4", {0, 88, 117, 24}, Kind::Label, {"ПРОВЕРКА:"}, 19, true},
    {"BarVerify", "TabSheet4", {0, 120, 273, 17}, Kind::Bar, {}},
    {"lbVerifyOn",
     "TabSheet4",
     {326, 120, 65, 20},
     Kind::Label,
     {"ОБМЕН"},
     16,
     true,
     kOlive,
     Align::Right},
    {"lbVerifyOK",
     "TabSheet4",
     {366, 120, 25, 20},
     Kind::Label,
     {"\u041e\u041a"},
     16,
     true,
     kGreen,
     Align::Right},
    {"lbVerifyErr",
     "TabSheet4",
     {301, 120, 90, 20},
     Kind::Label,
     {"ОШИБКА!!!"},
     16,
     true,
     kRed,
     Align::Right},
    {"txtWriteOK",
     "TabSheet4",
     {8, 184, 54, 75},
     Kind::Glyph,
     {"\u2714"},
     64,
     false,
     kGreen,
     Align::Center},
    {"txtWriteFail",
     "TabSheet4",
     {8, 192, 45, 75},
     Kind::Glyph,
     {"\u2718"},
     64,
     false,
     kRed,
     Align::Center},
    {"ListWriteOK",
     "TabSheet4",
     {64, 192, 281, 49},
     Kind::List,
     {"Обновление успешно завершено! ", "Нажмите кнопку \"Далее\".", ""},
     15,
     true,
     kDefault,
     Align::Left,
     16},
    {"ListWriteFail",
     "TabSheet4",
     {64, 208, 281, 49},
     Kind::List,
     {"В случае ошибки, повторите ", "процедуру заново. Если ошибка не ",
      "пропадает, обратитесь к поставщику."},
     15,
     true,
     kDefault,
     Align::Left,
     16},
    // Page 5.
    {"ListBox4",
     "TabSheet5",
     {0, 32, 377, 241},
     Kind::List,
     {"ПОЗДРАВЛЯЕМ!", "", "Теперь в устройство загружена обновленная ",
      "версия программного обеспечения.", "", "Мы постоянно работаем над улучшением ",
      "программного обеспечения, делая работу ", "устройства GPS Kestrun более надежной, ",
      "дополняя и улучшая функционал!", "Спасибо, что используете GPS Kestrun.", ""},
     15,
     true,
     kDefault,
     Align::Left,
     16},
};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList Lines(const std::vector<std::string>& lines) {
    QStringList result;
    for (const std::string& line : lines)
        result << Q(line);
    return result;
}

QStringList ListLines(const QListWidget& list) {
    QStringList result;
    for (int i = 0; i < list.count(); ++i)
        result << list.item(i)->text();
    return result;
}

QStringList TextBlocks(const QTextEdit& edit) {
    QStringList result;
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

// A family as Qt names it, without the foundry it adds in brackets where
// two foundries make the same family ("Nimbus Sans [urw]").
QString WithoutFoundry(const QString& family) {
    const qsizetype bracket = family.indexOf(QStringLiteral(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

// What the layout's font family turns into here: the first of its stand-ins
// that is installed, matched as Qt's font matching does, foundry aside.
QString ExpectedFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& substitute :
         QFont::substitutes(QString::fromLatin1(ui::kLayoutFontFamily))) {
        for (const QString& family : installed) {
            if (WithoutFoundry(family).compare(substitute, Qt::CaseInsensitive) == 0)
                return WithoutFoundry(family);
        }
    }
    return {};
}

QString FamilyInUse(const QFont& font) {
    return WithoutFoundry(QFontInfo(font).family());
}

// Whether the text or glyph of a label, as drawn here with the fonts found
// here, stays inside the label: no ink on the side edges that would cut it
// off, and none below its height when drawn with room to spare (a font with a
// tall ascent may end a descender on the label's last row without losing it).
void ExpectNotClipped(QLabel& label, Align align) {
    const int height = label.height();
    label.resize(label.width(), height + 8);
    const QImage image = label.grab().toImage();
    label.resize(label.width(), height);
    const QColor background = label.palette().color(label.backgroundRole());
    const auto isInk = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        return std::abs(pixel.red() - background.red()) +
                   std::abs(pixel.green() - background.green()) +
                   std::abs(pixel.blue() - background.blue()) >
               96;
    };
    const auto columnHasInk = [&](int x) {
        for (int y = 0; y < image.height(); ++y) {
            if (isInk(x, y))
                return true;
        }
        return false;
    };
    const int last = image.width() - 1;
    bool anyInk = false;
    for (int x = 0; x <= last && !anyInk; ++x)
        anyInk = columnHasInk(x);
    ASSERT_TRUE(anyInk) << "nothing drawn";
    if (align != Align::Left) {
        EXPECT_FALSE(columnHasInk(0)) << "cut off on the left";
    }
    if (align != Align::Right) {
        EXPECT_FALSE(columnHasInk(last)) << "cut off on the right";
    }
    for (int x = 0; x <= last; ++x)
        EXPECT_FALSE(isInk(x, height)) << "cut off at the bottom, column " << x;
}

class LayoutControl : public WindowTest, public ::testing::WithParamInterface<Control> {};

TEST_P(LayoutControl, SitsInItsParentWithItsGeometryTextAndLook) {
    const Control& expected = GetParam();
    const QString name = QString::fromLatin1(expected.name);
    const QList<QWidget*> found = window->findChildren<QWidget*>(name);
    ASSERT_EQ(found.size(), 1) << expected.name;
    QWidget& widget = *found.front();

    ASSERT_NE(widget.parentWidget(), nullptr);
    EXPECT_EQ(widget.parentWidget()->objectName(), QString::fromLatin1(expected.parent));
    EXPECT_EQ(widget.geometry(), expected.geometry);

    switch (expected.kind) {
        case Kind::Label:
        case Kind::Glyph: {
            auto* label = qobject_cast<QLabel*>(&widget);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->text(), Q(expected.text.at(0)));
            const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
            const Qt::AlignmentFlag expectedAlignment =
                expected.align == Align::Right    ? Qt::AlignRight
                : expected.align == Align::Center ? Qt::AlignHCenter
                                                  : Qt::AlignLeft;
            EXPECT_TRUE(horizontal.testFlag(expectedAlignment)) << int(horizontal);
            EXPECT_TRUE(label->alignment().testFlag(Qt::AlignTop));
            ExpectNotClipped(*label, expected.align);
            break;
        }
        case Kind::List: {
            auto* list = qobject_cast<QListWidget*>(&widget);
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(ListLines(*list), Lines(expected.text));
            EXPECT_EQ(list->frameShape(), QFrame::NoFrame);
            EXPECT_EQ(list->selectionMode(), QAbstractItemView::NoSelection);
            EXPECT_EQ(list->palette().color(QPalette::Base),
                      list->palette().color(QPalette::Button));
            for (int i = 0; i < list->count(); ++i) {
                const QRect line = list->visualItemRect(list->item(i));
                EXPECT_EQ(line.height(), expected.itemHeight) << "line " << i;
                EXPECT_EQ(line.top(), i * expected.itemHeight) << "line " << i;
            }
            break;
        }
        case Kind::Button:
        case Kind::CheckBox: {
            auto* button = qobject_cast<QAbstractButton*>(&widget);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), Q(expected.text.at(0)));
            if (auto* push = qobject_cast<QPushButton*>(&widget)) {
                EXPECT_FALSE(push->isDefault());
                EXPECT_FALSE(push->autoDefault());
            }
            if (expected.kind == Kind::CheckBox) {
                EXPECT_NE(qobject_cast<QCheckBox*>(&widget), nullptr);
                EXPECT_FALSE(button->isChecked());
            }
            break;
        }
        case Kind::Bar: {
            auto* bar = qobject_cast<QProgressBar*>(&widget);
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(bar->minimum(), 0);
            EXPECT_EQ(bar->maximum(), 100);
            break;
        }
        case Kind::RichText: {
            auto* edit = qobject_cast<QTextEdit*>(&widget);
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(edit->isReadOnly());
            EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            EXPECT_EQ(TextBlocks(*edit), Lines(expected.text));
            break;
        }
        case Kind::Image: {
            auto* image = qobject_cast<QLabel*>(&widget);
            ASSERT_NE(image, nullptr);
            // The logo at its own size from the control's top-left corner.
            EXPECT_EQ(image->pixmap().size(), QSize(148, 86));
            EXPECT_FALSE(image->hasScaledContents());
            EXPECT_EQ(image->alignment(), Qt::AlignLeft | Qt::AlignTop);
            break;
        }
        case Kind::PageArea:
            EXPECT_NE(qobject_cast<QTabWidget*>(&widget), nullptr);
            break;
        case Kind::Panel:
            EXPECT_TRUE(widget.autoFillBackground());
            EXPECT_EQ(widget.focusPolicy(), Qt::NoFocus);
            break;
    }

    if (expected.pixelSize != 0) {
        EXPECT_EQ(widget.font().pixelSize(), expected.pixelSize);
        EXPECT_EQ(widget.font().bold(), expected.bold);
        if (expected.kind == Kind::Glyph) {
            EXPECT_EQ(FamilyInUse(widget.font()), QStringLiteral("DejaVu Sans"));
            EXPECT_TRUE(QFontMetrics(widget.font()).inFont(Q(expected.text.at(0)).at(0)));
        } else {
            EXPECT_EQ(FamilyInUse(widget.font()), ExpectedFamily());
        }
    }
    if (expected.color.isValid()) {
        EXPECT_EQ(widget.palette().color(QPalette::WindowText), expected.color);
    }
}

void PrintTo(const Control& control, std::ostream* out) {
    *out << control.name;
}

INSTANTIATE_TEST_SUITE_P(EveryControl, LayoutControl, ::testing::ValuesIn(kControls),
                         [](const ::testing::TestParamInfo<Control>& row) {
                             return std::string(row.param.name);
                         });

TEST(LayoutTable, CoversEveryControlTheLogicNames) {
    ASSERT_EQ(kControls.size() + 5, app::kControlCount);  // the table lists no pages
    for (const Control& control : kControls)
        EXPECT_TRUE(app::ControlByName(control.name).has_value()) << control.name;
}

using WindowFrame = WindowTest;

TEST_F(WindowFrame, ClientAreaTitleFontAndIcon) {
    EXPECT_EQ(window->objectName(), QStringLiteral("TForm1"));
    EXPECT_EQ(window->size(), QSize(627, 411));
    EXPECT_TRUE(window->windowTitle().isEmpty());
    EXPECT_EQ(window->font().family(), QString::fromLatin1(ui::kLayoutFontFamily));
    EXPECT_EQ(window->font().pixelSize(), kWindowFont);
    EXPECT_FALSE(ExpectedFamily().isEmpty()) << "no stand-in font for the layout's family";
    EXPECT_EQ(FamilyInUse(window->font()), ExpectedFamily());
    EXPECT_EQ(window->palette().color(QPalette::Window), window->palette().color(QPalette::Button));
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(WindowFrame, LayoutItselfHoldsTheOldVersionLinesThatStartUpReplaces) {
    QWidget bare;
    Ui::TForm1 layout;
    layout.setupUi(&bare);
    EXPECT_EQ(layout.ListBoxVer->item(5)->text(), QStringLiteral("версия: v.1.8.6"));
    EXPECT_EQ(layout.ListBoxVer->item(6)->text(), QStringLiteral("дата: 02.11.2011"));
    EXPECT_EQ(Find<QListWidget>("ListBoxVer")->item(5)->text(),
              QString::fromUtf8("версия: v" KESTRUN_PROGRAM_VERSION " T415"));
}

TEST_F(WindowFrame, TabOrderOfTheDirectChildren) {
    const QStringList expected = {"PageControl1", "ListBoxVer", "btnESC",
                                  "btnBACK",      "btnNEXT",    "Panel1"};
    QStringList seen;
    QWidget* widget = window.get();
    do {
        widget = widget->nextInFocusChain();
        if (widget->parentWidget() == window.get() && expected.contains(widget->objectName()) &&
            !seen.contains(widget->objectName())) {
            seen << widget->objectName();
        }
    } while (widget != window.get());
    EXPECT_EQ(seen, expected);
}

TEST_F(WindowFrame, PagesLieBelowATabRowThatPanel1Covers) {
    window->show();
    auto* pages = Find<QTabWidget>("PageControl1");
    ASSERT_NE(pages, nullptr);
    for (int i = 0; i < pages->count(); ++i) {
        // Only the shown page is laid out.
        pages->setCurrentIndex(i);
        QWidget* page = pages->widget(i);
        EXPECT_EQ(page->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
        EXPECT_EQ(QRect(page->mapTo(pages, QPoint(0, 0)), page->size()), QRect(0, 25, 417, 320))
            << "page " << i + 1;
    }
    // The first tab is the only one shown; it lies under Panel1, which is
    // above the page area.
    pages->setCurrentIndex(0);
    auto* panel = Find("Panel1");
    const QRect tab = pages->tabBar()->tabRect(0);
    const QRect tabInWindow(pages->tabBar()->mapTo(window.get(), tab.topLeft()), tab.size());
    EXPECT_TRUE(panel->geometry().contains(tabInWindow)) << "tab at " << tabInWindow.x();
    EXPECT_EQ(window->childAt(tabInWindow.center()), panel);

    // The two buttons of the welcome page lie out of sight.
    const QRect page1(QPoint(0, 0), pages->widget(0)->size());
    EXPECT_FALSE(page1.intersects(Find("Button1")->geometry()));
    EXPECT_FALSE(page1.intersects(Find("Button2")->geometry()));
}

}  // namespace
}  // namespace ui_test
