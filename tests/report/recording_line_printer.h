#pragma once

#include <QStringList>

#include "platform/line_printer.h"

// Stands in for the printer and writes down, in order, what it was asked:
// "line <indent> <text>", "font <family> <points>" and "end".
class RecordingLinePrinter final : public torvel::LinePrinter {
public:
    QStringList calls;
    bool endSucceeds = true;
    QString endFailure;

    void printLine(const QStringList& pieces, int indentColumns) override
    {
        calls << QStringLiteral("line %1 %2").arg(indentColumns).arg(pieces.join(QString()));
    }

    void setFont(const QString& family, double pointSize) override
    {
        calls << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
    }

    bool endDocument(QString& failureReason) override
    {
        calls << QStringLiteral("end");
        if (!endSucceeds)
            failureReason = endFailure;
        return endSucceeds;
    }
};
