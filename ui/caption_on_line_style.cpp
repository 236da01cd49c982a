#include "ui/caption_on_line_style.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

namespace torvel {

namespace {

// Room between the frame's left edge and the caption, and on either side of
// the caption where the border stops, in pixels at 96 DPI (Windows' own).
constexpr int kCaptionIndent = 8;
constexpr int kCaptionGap = 2;

} // namespace

CaptionOnLineStyle::CaptionOnLineStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{}

QRect CaptionOnLineStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                         SubControl subControl, const QWidget* widget) const
{
    const QRect base = QProxyStyle::subControlRect(control, option, subControl, widget);
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || box->text.isEmpty())
        return base;
    QRect caption = QProxyStyle::subControlRect(control, option, SC_GroupBoxLabel, widget);
    const int indent = kCaptionIndent * option->fontMetrics.fontDpi() / 96;
    if (caption.left() < option->rect.left() + indent)
        caption.moveLeft(option->rect.left() + indent);
    caption.moveTop(option->rect.top());
    switch (subControl) {
    case SC_GroupBoxLabel:
        return caption;
    case SC_GroupBoxFrame:
        return option->rect.adjusted(0, caption.height() / 2, 0, 0);
    default:
        return base;
    }
}

void CaptionOnLineStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || box->text.isEmpty() || !(box->subControls & SC_GroupBoxFrame)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionFrame frame;
    frame.QStyleOption::operator=(*box);
    frame.features = box->features;
    frame.lineWidth = box->lineWidth;
    frame.midLineWidth = box->midLineWidth;
    frame.rect = subControlRect(control, option, SC_GroupBoxFrame, widget);
    frame.rect.setTop(frame.rect.top() - frameInkOffset(frame, widget));
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    painter->setClipRegion(QRegion(option->rect) - caption.adjusted(-kCaptionGap, 0, kCaptionGap, 0));
    baseStyle()->drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
    painter->restore();

    QStyleOptionGroupBox rest(*box);
    rest.subControls &= ~SC_GroupBoxFrame;
    QProxyStyle::drawComplexControl(control, &rest, painter, widget);
}

// How far below the top of its rectangle the base style draws a frame's top
// edge: Qt 6.4's Fusion leaves room for a caption above it, Windows none.
// Measured once per font height by drawing a frame into an image.
int CaptionOnLineStyle::frameInkOffset(const QStyleOptionFrame& frame, const QWidget* widget) const
{
    const int key = frame.fontMetrics.height();
    if (const auto found = m_frameInkOffsets.constFind(key); found != m_frameInkOffsets.cend())
        return found.value();

    QImage image(32, 4 * frame.fontMetrics.height() + 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QStyleOptionFrame probe(frame);
        probe.rect = image.rect();
        QPainter painter(&image);
        baseStyle()->drawPrimitive(PE_FrameGroupBox, &probe, &painter, widget);
    }
    int offset = 0;
    while (offset < image.height() && qAlpha(image.pixel(image.width() / 2, offset)) == 0)
        ++offset;
    if (offset == image.height())
        offset = 0;
    m_frameInkOffsets.insert(key, offset);
    return offset;
}

} // namespace torvel
