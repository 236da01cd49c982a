#include "calc/class_prices.h"

#include <cfloat>
#include <cmath>
#include <optional>

// Every double expression must be evaluated in binary64 itself, not in a
// wider format such as the x87's 80-bit registers.
static_assert(FLT_EVAL_METHOD == 0, "build for SSE2 arithmetic (-msse2 -mfpmath=sse)");

namespace torvel {
namespace {

// 2^128 - 2^103: the smallest magnitude that rounds to infinity in binary32.
constexpr double kBinary32OverflowBound = 0x1.ffffffp127;

// Rounds to binary32 without ever converting an out-of-range double, which
// C++ leaves undefined. Magnitudes in (FLT_MAX, bound) round to FLT_MAX.
std::optional<float> RoundToBinary32(double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < kBinary32OverflowBound))
        return std::nullopt;
    if (magnitude > FLT_MAX)
        return std::signbit(value) ? -FLT_MAX : FLT_MAX;
    return static_cast<float>(value);
}

// The FAT price formula, shared by both classes. The deductions are taken
// one after the other, never as their sum.
double FatPrice(double butter)
{
    return ((butter - 0.0309) - 0.156) * 1.2;
}

} // namespace

ClassPriceResult CalculateClassPrices(const ClassPriceInputs& in)
{
    ClassPrices out;

    out.Class4AFat = FatPrice(in.CMEButter);
    if (!std::isfinite(out.Class4AFat))
        return ArithmeticFault{};

    out.Class4ASnf = in.AveragePowder - 0.1698;
    if (!std::isfinite(out.Class4ASnf))
        return ArithmeticFault{};

    out.Class4ACwt = (out.Class4ASnf * 8.7) + (out.Class4AFat * 3.5);
    if (!std::isfinite(out.Class4ACwt))
        return ArithmeticFault{};

    out.Class4BFat = FatPrice(in.CMEButter);
    if (!std::isfinite(out.Class4BFat))
        return ArithmeticFault{};

    const double cheeseComponent = ((in.CMECheese - 0.0252) - 0.1988) * 10.2;
    if (!std::isfinite(cheeseComponent))
        return ArithmeticFault{};

    const double base = ((((in.CMEButter - 0.1) - 0.156) * 0.27) + cheeseComponent) + 0.25;
    const std::optional<float> class4BBase = RoundToBinary32(base);
    if (!class4BBase)
        return ArithmeticFault{};

    out.Class4BSnf = (static_cast<double>(*class4BBase) - (out.Class4BFat * 3.72)) / 8.8;
    if (!std::isfinite(out.Class4BSnf))
        return ArithmeticFault{};

    out.Class4BCwt = (out.Class4BFat * 3.5) + (out.Class4BSnf * 8.7);
    if (!std::isfinite(out.Class4BCwt))
        return ArithmeticFault{};

    return out;
}

} // namespace torvel
