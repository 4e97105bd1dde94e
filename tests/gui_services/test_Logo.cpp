// The windows draw the logo in code; the desktop entry and the Windows program's icon take it from
// logo.svg. The two pictures must stay the same picture.
#include "gui/services/HeaderBand.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QImage Blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage FromSvg(int size)
{
    QImage image = Blank(size);
    QSvgRenderer svg(QStringLiteral(VELLORAN_LOGO_SVG));
    EXPECT_TRUE(svg.isValid());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, size, size));
    return image;
}

QImage FromCode(int size)
{
    QImage image = Blank(size);
    QPainter painter(&image);
    DrawLogo(painter, QRectF(0, 0, size, size));
    return image;
}

// The share of pixels whose colour or coverage differs by more than edge smoothing explains.
double ShareDiffering(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int most = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            differing += most > 40;
        }
    }
    return double(differing) / (a.width() * a.height());
}

TEST(Logo, DrawnInCodeIsThePictureOfTheSvg)
{
    for (const int size : {32, 56, 256}) {
        SCOPED_TRACE(size);
        EXPECT_LT(ShareDiffering(FromSvg(size), FromCode(size)), 0.01);
    }
}

TEST(Logo, ComparisonSeesAChangedPicture)
{
    // A logo with its tick left out must not pass for the logo.
    QImage withoutTick = Blank(64);
    QPainter painter(&withoutTick);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xA9, 0xCD, 0xF0));
    painter.drawRoundedRect(QRectF(3, 3, 40, 40), 8, 8);
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(QColor(0x00, 0x60, 0xC0));
    painter.drawRoundedRect(QRectF(17.5, 17.5, 44, 44), 9, 9);
    painter.end();
    EXPECT_GT(ShareDiffering(FromSvg(64), withoutTick), 0.01);
}

TEST(Logo, IconHasTheSizesDesktopsAskFor)
{
    const QIcon icon = LogoIcon();
    for (const int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size));
        EXPECT_EQ(ShareDiffering(icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                 FromCode(size)),
                  0.0);
    }
}

} // namespace
