// The pictures at 144 and 192 dpi: each has pixels of its own at twice the
// size, not the 1× picture blown up, and a disabled glyph stays legible on
// a dark palette.
#include <QApplication>
#include <QPalette>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "DialogTestMain.h"
#include "Pictures.h"

using namespace voicememo;

class PicturesTest : public QObject {
    Q_OBJECT
private slots:
    void eachPictureHasItsOwnPixelsAtHighResolution_data();
    void eachPictureHasItsOwnPixelsAtHighResolution();
    void disabledGlyphsStandOutOnADarkWindow_data();
    void disabledGlyphsStandOutOnADarkWindow();
    void glyphsShowTheButtonThroughTheirKeyColour();
};

namespace {

// Premultiplied, so that the colour of a transparent pixel does not count.
QImage Pixels(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

bool Differ(QRgb a, QRgb b)
{
    constexpr int kStep = 64;
    return std::abs(qRed(a) - qRed(b)) > kStep || std::abs(qGreen(a) - qGreen(b)) > kStep ||
           std::abs(qBlue(a) - qBlue(b)) > kStep || std::abs(qAlpha(a) - qAlpha(b)) > kStep;
}

// Pixels that differ clearly from their right or lower neighbour.
int EdgePixels(const QImage& image)
{
    int edges = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb here = image.pixel(x, y);
            if ((x + 1 < image.width() && Differ(here, image.pixel(x + 1, y))) ||
                (y + 1 < image.height() && Differ(here, image.pixel(x, y + 1))))
                ++edges;
        }
    return edges;
}

// Pixels of `image` that neither blow-up of `small` to its size has.
int PixelsOfItsOwn(const QImage& image, const QImage& small)
{
    const QImage coarse = small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage smooth = small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int own = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Differ(image.pixel(x, y), coarse.pixel(x, y)) && Differ(image.pixel(x, y), smooth.pixel(x, y)))
                ++own;
    return own;
}

// Relative luminance, as the WCAG contrast ratio defines it.
double Luminance(QRgb colour)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
}

}  // namespace

void PicturesTest::eachPictureHasItsOwnPixelsAtHighResolution_data()
{
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<int>("side");
    QTest::addColumn<QIcon::Mode>("mode");
    QTest::newRow("window icon") << WindowIcon() << 32 << QIcon::Normal;
    QTest::newRow("item image") << ItemImage() << 32 << QIcon::Normal;
    QTest::newRow("marked item image") << EmptyItemImage() << 32 << QIcon::Normal;
    for (const char* name : {"record", "play", "delete", "close"}) {
        QTest::addRow("%s", name) << Glyph(QLatin1String(name)) << 16 << QIcon::Normal;
        QTest::addRow("%s, disabled", name) << Glyph(QLatin1String(name)) << 16 << QIcon::Disabled;
    }
}

void PicturesTest::eachPictureHasItsOwnPixelsAtHighResolution()
{
    QFETCH(QIcon, icon);
    QFETCH(int, side);
    QFETCH(QIcon::Mode, mode);
    const QSize size(side, side);
    for (const qreal ratio : {1.5, 2.0}) {
        const QPixmap pixmap = icon.pixmap(size, ratio, mode);
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        QCOMPARE(pixmap.size(), size * ratio);
    }
    const QImage single = Pixels(icon.pixmap(size, 1.0, mode));
    const QImage twice = Pixels(icon.pixmap(size, 2.0, mode));
    QCOMPARE(single.size(), size);
    // Its diagonals and corners are drawn anew, finer than either blow-up
    // of the 1× picture draws them (straight edges are sharp in both):
    // pixels of its own for a sixteenth of the 1× picture's edges at least.
    const int own = PixelsOfItsOwn(twice, single);
    const int edges = EdgePixels(single);
    QVERIFY2(own > 0 && own * 16 >= edges,
             qPrintable(QStringLiteral("%1 pixels of its own, %2 edges at 1×").arg(own).arg(edges)));
}

void PicturesTest::disabledGlyphsStandOutOnADarkWindow_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"record", "play", "delete", "close"})
        QTest::addRow("%s", name) << QString::fromLatin1(name);
}

void PicturesTest::disabledGlyphsStandOutOnADarkWindow()
{
    QFETCH(QString, name);
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    const QColor window(0x2b, 0x2b, 0x2b);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::Button, window.lighter(120));
        dark.setColor(group, QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
        dark.setColor(group, QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
    }
    QApplication::setPalette(dark);
    const QImage glyph =
        Glyph(name).pixmap(QSize(16, 16), 2.0, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    QApplication::setPalette(light);

    // The glyph's pixels laid on the window: most of those drawn differ
    // from it by a contrast ratio of 3:1 at least, so that its shape shows
    // (Qt's own disabled picture is the window's colour tinted, in which
    // the dark outlines sink into a dark window).
    const double windowLuminance = Luminance(window.rgb());
    int drawn = 0;
    int standingOut = 0;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb p = glyph.pixel(x, y);
            if (qAlpha(p) < 128)
                continue;
            const auto over = [&](int c, int w) { return (c * qAlpha(p) + w * (255 - qAlpha(p))) / 255; };
            const double luminance = Luminance(
                qRgb(over(qRed(p), window.red()), over(qGreen(p), window.green()), over(qBlue(p), window.blue())));
            const double contrast =
                (std::max(luminance, windowLuminance) + 0.05) / (std::min(luminance, windowLuminance) + 0.05);
            ++drawn;
            standingOut += contrast >= 3.0;
        }
    QVERIFY2(drawn * 10 >= glyph.width() * glyph.height(), qPrintable(QString::number(drawn)));
    QVERIFY2(standingOut * 5 >= drawn * 4,
             qPrintable(QStringLiteral("%1 of %2 pixels stand out").arg(standingOut).arg(drawn)));
}

// The glyph's lower-left colour is its background: the button shows
// through it at every scale and in either half, and the glyph itself stays.
void PicturesTest::glyphsShowTheButtonThroughTheirKeyColour()
{
    for (const char* name : {"record", "play", "delete", "close"})
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
            for (const qreal ratio : {1.0, 1.5, 2.0}) {
                const QImage glyph = Pixels(Glyph(QLatin1String(name)).pixmap(QSize(16, 16), ratio, mode));
                int clear = 0;
                for (int y = 0; y < glyph.height(); ++y)
                    for (int x = 0; x < glyph.width(); ++x)
                        clear += qAlpha(glyph.pixel(x, y)) == 0;
                const QString what = QStringLiteral("%1 %2 at %3x: %4 of %5 clear")
                                         .arg(name, mode == QIcon::Disabled ? "disabled" : "normal")
                                         .arg(ratio)
                                         .arg(clear)
                                         .arg(glyph.width() * glyph.height());
                QVERIFY2(qAlpha(glyph.pixel(0, glyph.height() - 1)) == 0, qPrintable(what));
                QVERIFY2(clear * 8 >= glyph.width() * glyph.height() && clear < glyph.width() * glyph.height(),
                         qPrintable(what));
            }
}

VOICEMEMO_DIALOG_TEST_MAIN(PicturesTest)
#include "PicturesTest.moc"
