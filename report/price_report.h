#pragma once

#include <QString>

namespace torvel {

class LinePrinter;

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
// checks nothing: whatever the texts hold is printed. False when the page
// could not be printed, with the reason in message; true when it was sent,
// with anything the user should still know in message (empty when nothing).
bool PrintPriceReport(LinePrinter& printer, const PriceReportTexts& texts, QString& message);

} // namespace torvel
