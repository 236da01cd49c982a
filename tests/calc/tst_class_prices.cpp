#include <QTest>

#include <array>
#include <bit>
#include <cfloat>
#include <cstdint>

#include "calc/class_prices.h"

using namespace torvel;

namespace {

// The six prices as bit patterns, so that a comparison is exact to the last
// bit and tells +0 from -0.
struct PriceBits {
    std::array<std::uint64_t, 6> bits{};
    bool operator==(const PriceBits&) const = default;
};

PriceBits bitsOf(const ClassPrices& p)
{
    return {{std::bit_cast<std::uint64_t>(p.Class4AFat), std::bit_cast<std::uint64_t>(p.Class4ASnf),
             std::bit_cast<std::uint64_t>(p.Class4ACwt), std::bit_cast<std::uint64_t>(p.Class4BFat),
             std::bit_cast<std::uint64_t>(p.Class4BSnf), std::bit_cast<std::uint64_t>(p.Class4BCwt)}};
}

char* toString(const PriceBits& b)
{
    QByteArray text;
    for (std::uint64_t bits : b.bits)
        text += QByteArray::number(std::bit_cast<double>(bits), 'g', 17) + ' ';
    return qstrdup(text.constData());
}

} // namespace

Q_DECLARE_METATYPE(ClassPriceInputs)
Q_DECLARE_METATYPE(ClassPrices)

class TestClassPrices : public QObject {
    Q_OBJECT

private slots:
    void exactPrices_data();
    void exactPrices();
    void arithmeticFault_data();
    void arithmeticFault();
};

void TestClassPrices::exactPrices_data()
{
    QTest::addColumn<ClassPriceInputs>("inputs");
    QTest::addColumn<ClassPrices>("expected");

    // Contraction of step 3 into a fused multiply-add gives 0x1.c1d92b7fe08afp+3
    // for the 4A cwt; subtracting the deductions' precomputed sum gives
    // 1.4557199999999997 for the FAT prices and moves the cheese component,
    // and a binary64 4B base gives an SNF of 1.1589547272727267.
    QTest::newRow("worked example 1.4, 1.7, 1.2")
        << ClassPriceInputs{1.4, 1.7, 1.2}
        << ClassPrices{0x1.74aa10e022143p+0, 0x1.07bb2fec56d5dp+0, 0x1.c1d92b7fe08b0p+3,
                       0x1.74aa10e022143p+0, 0x1.28b1429c99284p+0, 0x1.e5b19305f577cp+3};

    QTest::newRow("all zero gives negative prices")
        << ClassPriceInputs{0.0, 0.0, 0.0}
        << ClassPrices{-0x1.cb5350092ccf7p-3, -0x1.5bc01a36e2eb2p-3, -0x1.2191148fd9fd4p+1,
                       -0x1.cb5350092ccf7p-3, -0x1.27785d00c6a85p-3, -0x1.0523ac14076c2p+1};

    // 14.07255 in decimal, slightly less in binary64.
    QTest::newRow("powder 1.2017, cwt just below a decimal tie")
        << ClassPriceInputs{1.4, 1.7, 1.2017}
        << ClassPrices{0x1.74aa10e022143p+0, 0x1.082a9930be0dfp+0, 0x1.c2525460aa64cp+3,
                       0x1.74aa10e022143p+0, 0x1.28b1429c99284p+0, 0x1.e5b19305f577cp+3};

    // Butter 0.5 is where the order of the two butter deductions shows:
    // taking 0.156 first gives 0x1.80bcbe61cffebp-2 for the FAT prices.
    QTest::newRow("butter 0.5: deductions in order")
        << ClassPriceInputs{0.5, 1.7, 1.2}
        << ClassPrices{0x1.80bcbe61cffecp-2, 0x1.07bb2fec56d5dp+0, 0x1.48e368f084620p+3,
                       0x1.80bcbe61cffecp-2, 0x1.967fbc51022a0p+0, 0x1.e425f4d131e72p+3};

    // The base sum is 0x1.fffffefffffffp+127: above FLT_MAX but below the
    // overflow threshold, so it is held as FLT_MAX and is no fault.
    QTest::newRow("4B base just below the binary32 limit")
        << ClassPriceInputs{1.4, 0x1.919190c8c8c8cp+124, 1.2}
        << ClassPrices{0x1.74aa10e022143p+0, 0x1.07bb2fec56d5dp+0, 0x1.c1d92b7fe08b0p+3,
                       0x1.74aa10e022143p+0, 0x1.d1745b45d1745p+124, 0x1.fa2e89a8ba2e7p+127};
}

void TestClassPrices::exactPrices()
{
    QFETCH(ClassPriceInputs, inputs);
    QFETCH(ClassPrices, expected);

    const ClassPriceResult result = CalculateClassPrices(inputs);

    const auto* prices = std::get_if<ClassPrices>(&result);
    QVERIFY2(prices, "unexpected ArithmeticFault");
    QCOMPARE(bitsOf(*prices), bitsOf(expected));
}

void TestClassPrices::arithmeticFault_data()
{
    QTest::addColumn<ClassPriceInputs>("inputs");

    QTest::newRow("cheese 1E+38: base beyond binary32") << ClassPriceInputs{1.4, 1E+38, 1.2};
    QTest::newRow("cheese -1E+38: base beyond binary32") << ClassPriceInputs{1.4, -1E+38, 1.2};
    QTest::newRow("4B base exactly at the binary32 limit") << ClassPriceInputs{1.4, 0x1.919190c8c8c8dp+124, 1.2};
    QTest::newRow("butter 1E+308: step 3 product overflows") << ClassPriceInputs{1E+308, 1.7, 1.2};
    QTest::newRow("butter -1E+308") << ClassPriceInputs{-1E+308, 1.7, 1.2};
    QTest::newRow("powder DBL_MAX: 4A SNF product overflows") << ClassPriceInputs{1.4, 1.7, DBL_MAX};
    QTest::newRow("cheese DBL_MAX: cheese component overflows") << ClassPriceInputs{1.4, DBL_MAX, 1.2};
    QTest::newRow("butter DBL_MAX: FAT price overflows") << ClassPriceInputs{DBL_MAX, 1.7, 1.2};
    // Butter and cheese cancel in the 4B base, which stays a small binary32
    // value, while the FAT price times 3.72 in step 7 overflows.
    QTest::newRow("base cancels, 4B SNF product overflows")
        << ClassPriceInputs{4.155555555555555E307, -1.1E306, 1.2};
    QTest::newRow("base cancels, 4B SNF product overflows, negative")
        << ClassPriceInputs{-4.155555555555555E307, 1.1E306, 1.2};
}

void TestClassPrices::arithmeticFault()
{
    QFETCH(ClassPriceInputs, inputs);

    QVERIFY(std::holds_alternative<ArithmeticFault>(CalculateClassPrices(inputs)));
}

QTEST_GUILESS_MAIN(TestClassPrices)
#include "tst_class_prices.moc"
