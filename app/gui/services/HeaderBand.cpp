#include "HeaderBand.h"

#include "ServicesInternal.h"
#include "Shell.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QVBoxLayout>

namespace {

const QColor kTitleBlue(0x00, 0x60, 0xC0);

// The logo at whatever size and pixel ratio the band has.
class LogoPicture : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        DrawLogo(painter, QRectF(rect()));
    }
};

} // namespace

void DrawLogo(QPainter& painter, const QRectF& target)
{
    // logo.svg's shapes in its 64 x 64 box: the pale copy behind, the blue record in front, the tick.
    constexpr qreal kBox = 64.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / kBox, target.height() / kBox);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xA9, 0xCD, 0xF0));
    painter.drawRoundedRect(QRectF(3, 3, 40, 40), 8, 8);
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(kTitleBlue);
    painter.drawRoundedRect(QRectF(17.5, 17.5, 44, 44), 9, 9);
    painter.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(28.5, 40.5), QPointF(36, 48), QPointF(51, 31.5)}));
    painter.restore();
}

QIcon LogoIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        DrawLogo(painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

HeaderBand::HeaderBand(int height, const char* stepName, QWidget* parent) : QWidget(parent)
{
    setObjectName("pnlHeader");
    setFixedHeight(height);
    setAutoFillBackground(true);
    QPalette band = palette();
    band.setColor(QPalette::Window, Qt::white);
    setPalette(band);

    const int logoSize = qBound(24, height - 20, 56);
    auto* logo = new LogoPicture(this);
    logo->setObjectName("imgLogo");
    logo->setFixedSize(logoSize, logoSize);
    // A picture only: the title takes the clicks.
    logo->setEnabled(false);

    m_title = new QLabel("Velloran", this);
    m_title->setObjectName("lblTitle");
    QFont titleFont;
    titleFont.setFamilies({"Verdana", "DejaVu Sans"});
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setPixelSize(qBound(16, height * 2 / 5, 28));
    titleFont.setWeight(QFont::Bold);
    m_title->setFont(titleFont);
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, kTitleBlue);
    m_title->setPalette(titlePalette);
    m_title->setCursor(Qt::PointingHandCursor);
    m_title->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    OnLeftClick(m_title, OpenHomePage);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addStretch();
    texts->addWidget(m_title, 0, Qt::AlignLeft);
    if (stepName) {
        m_step = new QLabel(this);
        m_step->setObjectName(stepName);
        QPalette stepPalette = m_step->palette();
        stepPalette.setColor(QPalette::WindowText, QColor(0x30, 0x30, 0x30));
        m_step->setPalette(stepPalette);
        texts->addWidget(m_step);
    }
    texts->addStretch();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 0, 20, 0);
    row->setSpacing(12);
    row->addWidget(logo, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);
}

void ApplyVelloranStyle()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));

    // Light whatever the desktop's theme, so the white header band always fits.
    QPalette palette;
    const QColor window(0xF0, 0xF0, 0xF0);
    const QColor text(0x1E, 0x1E, 0x1E);
    const QColor disabledText(0x8C, 0x8C, 0x8C);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xF5, 0xF8, 0xFC));
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    palette.setColor(QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
    palette.setColor(QPalette::Dark, QColor(0x8A, 0x8A, 0x8A));
    palette.setColor(QPalette::Shadow, QColor(0x6A, 0x6A, 0x6A));
    palette.setColor(QPalette::Highlight, kTitleBlue);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, kTitleBlue);
    palette.setColor(QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xA0, 0xA0, 0xA0));
    QApplication::setPalette(palette);
}
