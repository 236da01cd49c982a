#include <QTest>

#include "ui/twips.h"

using torvel::TwipsRect;
using torvel::TwipsToPixels;

Q_DECLARE_METATYPE(TwipsRect)

class TestTwips : public QObject {
    Q_OBJECT

private slots:
    void rectangles_data();
    void rectangles();
    void overlapsSurviveEveryDpi_data();
    void overlapsSurviveEveryDpi();
};

void TestTwips::rectangles_data()
{
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<TwipsRect>("twips");
    QTest::addColumn<QRect>("pixels");

    const TwipsRect client{0, 0, 7800, 4860};
    QTest::newRow("client area at 96 DPI") << 96.0 << client << QRect(0, 0, 520, 324);
    QTest::newRow("client area at 120 DPI keeps its proportions") << 120.0 << client << QRect(0, 0, 650, 405);
    QTest::newRow("client area at 144 DPI keeps its proportions") << 144.0 << client << QRect(0, 0, 780, 486);
    // Sizes come from rounded edges, not rounded sizes: 2415 twips is 201.25
    // pixels at 120 DPI, 3375 twips 168.75 at 72 DPI.
    QTest::newRow("Calculate at 120 DPI") << 120.0 << TwipsRect{960, 3960, 1455, 615} << QRect(80, 330, 121, 51);
    QTest::newRow("SNF caption at 72 DPI") << 72.0 << TwipsRect{2880, 600, 495, 255} << QRect(144, 30, 25, 13);
    QTest::newRow("4A cwt, 1078 x 310, at 144 DPI") << 144.0 << TwipsRect{5280, 480, 1078, 310}
                                                    << QRect(528, 48, 108, 31);
    QTest::newRow("a half pixel rounds up, at 144 DPI") << 144.0 << TwipsRect{5280, 1080, 1075, 310}
                                                        << QRect(528, 108, 108, 31);
}

void TestTwips::rectangles()
{
    QFETCH(qreal, dpi);
    QFETCH(TwipsRect, twips);
    QFETCH(QRect, pixels);

    QCOMPARE(TwipsToPixels(twips, dpi, dpi), pixels);
}

void TestTwips::overlapsSurviveEveryDpi_data()
{
    QTest::addColumn<qreal>("dpi");

    for (qreal dpi : {72.0, 96.0, 110.0, 120.0, 144.0, 168.0, 192.0})
        QTest::addRow("%g DPI", dpi) << dpi;
}

void TestTwips::overlapsSurviveEveryDpi()
{
    QFETCH(qreal, dpi);

    // Each button overlaps its neighbour by 15 twips, and the SNF and CWT
    // captions overlap the result labels to their right by as much.
    const QRect calculate = TwipsToPixels(TwipsRect{960, 3960, 1455, 615}, dpi, dpi);
    const QRect clear = TwipsToPixels(TwipsRect{2400, 3960, 1455, 615}, dpi, dpi);
    const QRect snf = TwipsToPixels(TwipsRect{2880, 600, 495, 255}, dpi, dpi);
    const QRect snfResult = TwipsToPixels(TwipsRect{3360, 480, 1050, 315}, dpi, dpi);
    QVERIFY(calculate.intersects(clear));
    QVERIFY(snf.intersects(snfResult));
}

QTEST_GUILESS_MAIN(TestTwips)
#include "tst_twips.moc"
