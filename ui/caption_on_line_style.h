#pragma once

#include <QHash>
#include <QProxyStyle>

class QStyleOptionFrame;

namespace torvel {

// Draws a frame's caption on the frame's top edge with the border running
// through the middle of the caption, as Windows draws group boxes, over any
// base style. Fusion would otherwise draw the caption above a border that
// starts a caption's height lower, so the controls inside, placed from the
// frame's top edge, would crowd the border.
class CaptionOnLineStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Wraps a new instance of the application's style.
    CaptionOnLineStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;

private:
    int frameInkOffset(const QStyleOptionFrame& frame, const QWidget* widget) const;

    mutable QHash<int, int> m_frameInkOffsets; // by font height
};

} // namespace torvel
