// Status labels that share a place: the one above must hide the one below.
#include <QImage>
#include <QPixmap>
#include <QTabWidget>

#include "window_fixture.h"

namespace ui_test {
namespace {

using OverlappingLabels = WindowTest;

// Pixels of `color` in the part of `page` that `label` covers.
int PixelsOf(QWidget& page, QWidget& label, QColor color) {
    const QImage shot = page.grab(label.geometry()).toImage();
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            count += shot.pixelColor(x, y) == color;
    return count;
}

TEST_F(OverlappingLabels, TheErrorHidesTheWriteRowsOk) {
    window->resize(627, 411);
    window->show();
    auto* pages = Find<QTabWidget>("PageControl1");
    QWidget* page = Find("TabSheet4");
    pages->setCurrentWidget(page);
    QWidget* ok = Find("lbWriteOK");
    QWidget* error = Find("lbWriteErr");
    const QColor green(0, 128, 0);

    ok->show();
    ASSERT_GT(PixelsOf(*page, *ok, green), 0);  // the measure sees the "ОК"
    error->show();
    EXPECT_EQ(PixelsOf(*page, *ok, green), 0);
}

}  // namespace
}  // namespace ui_test
