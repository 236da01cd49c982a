#pragma once

#include <QString>

#include "platform/line_printer.h"

namespace torvel {

// What the report prints, exactly as the window shows it.
struct PriceReportTexts {
    QString butter;
    QString cheese;
    QString powder;
    QString class4AFat;
    QString class4ASnf;
    QString class4ACwt;
    QString class4BFat;
    QString class4BSnf;
    QString class4BCwt;
};

// Prints the one-page report of the three inputs and six class prices. It
// checks nothing: whatever the texts hold is printed. The page is on its way
// when this returns; ended says later how it went.
void PrintPriceReport(LinePrinter& printer, const PriceReportTexts& texts, LinePrinter::DocumentEnded ended);

} // namespace torvel
