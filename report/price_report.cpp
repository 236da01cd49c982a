#include "report/price_report.h"

namespace torvel {

namespace {
// Print columns between the printable area's left edge and each report line.
constexpr int kIndentColumns = 20;
}

void PrintPriceReport(LinePrinter& printer, const PriceReportTexts& t, LinePrinter::DocumentEnded ended)
{
    // The heading space is in the printer's current font, before the report's own.
    for (int i = 0; i < 3; ++i)
        printer.printLine();
    printer.setFont(QStringLiteral("Times New Roman"), 12);

    printer.printLine({QStringLiteral("Chicago Mercantile Exchange Gradee AA Butter Price  -     $"), t.butter}, kIndentColumns);
    printer.printLine({QStringLiteral("Chicago Mercantile Exchange Block Cheddar Cheese Price  -     $"), t.cheese}, kIndentColumns);
    printer.printLine({QStringLiteral("Orvania Weighted Average Powder Price  -     $"), t.powder}, kIndentColumns);
    printer.printLine();
    printer.printLine();
    printer.printLine({QStringLiteral("At the above commodity prices, Class Prices are:")}, kIndentColumns);
    printer.printLine();
    printer.printLine({QStringLiteral("Class 4A FAT  -  "), t.class4AFat}, kIndentColumns);
    printer.printLine({QStringLiteral("Class 4A SNF  -  "), t.class4ASnf}, kIndentColumns);
    printer.printLine({QStringLiteral("Class 4A cwt  -  "), t.class4ACwt}, kIndentColumns);
    printer.printLine();
    printer.printLine({QStringLiteral("Class 4B FAT  -  "), t.class4BFat}, kIndentColumns);
    printer.printLine({QStringLiteral("Class 4B SNF  -  "), t.class4BSnf}, kIndentColumns);
    printer.printLine({QStringLiteral("Class 4B cwt  -  "), t.class4BCwt}, kIndentColumns);
    printer.endDocument(std::move(ended));
}

} // namespace torvel
