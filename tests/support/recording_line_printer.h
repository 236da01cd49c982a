#pragma once

#include <QStringList>

#include "platform/line_printer.h"

// Stands in for the default printer and writes down, in order, what it was
// asked: "line <indent> <text>" with the pieces as they print, one after
// another, "font <family> <points>" and "end". Each document ends with the
// outcome the test asks for.
class RecordingLinePrinter final : public torvel::LinePrinter {
public:
    QStringList calls;
    QString failure; // empty: every document prints
    QString note; // told after a document that printed

    void printLine(const QStringList& pieces, int indentColumns) override
    {
        calls << QStringLiteral("line %1 %2").arg(indentColumns).arg(pieces.join(QString()));
    }

    void setFont(const QString& family, double pointSize) override
    {
        calls << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
    }

    bool endDocument(QString& message) override
    {
        calls << QStringLiteral("end");
        message = failure.isEmpty() ? note : failure;
        return failure.isEmpty();
    }
};
