#pragma once

#include <variant>

namespace torvel {

// The three commodity prices, in dollars, as the clerk typed them.
struct ClassPriceInputs {
    double CMEButter = 0.0;
    double CMECheese = 0.0;
    double AveragePowder = 0.0;

    friend bool operator==(const ClassPriceInputs&, const ClassPriceInputs&) = default;
};

// The six class prices, in dollars.
struct ClassPrices {
    double Class4AFat = 0.0;
    double Class4ASnf = 0.0;
    double Class4ACwt = 0.0;
    double Class4BFat = 0.0;
    double Class4BSnf = 0.0;
    double Class4BCwt = 0.0;

    friend bool operator==(const ClassPrices&, const ClassPrices&) = default;
};

// A step of the calculation gave a value that is not finite. It carries
// nothing else: the calculation as a whole delivers no prices.
struct ArithmeticFault {
    friend bool operator==(const ArithmeticFault&, const ArithmeticFault&) = default;
};

using ClassPriceResult = std::variant<ClassPrices, ArithmeticFault>;

// The Class 4A and 4B prices, each operation a single round-to-nearest binary64
// operation in the written order, with the 4B base held in binary32. Pure: no
// locale, no globals, no clamping of the inputs.
ClassPriceResult CalculateClassPrices(const ClassPriceInputs& inputs);

} // namespace torvel
