#pragma once

#include <QList>
#include <QStringList>

#include "platform/line_printer.h"

// Stands in for the default printer: records every call in order, and ends
// each document with the outcome the test asks for.
class RecordingLinePrinter final : public torvel::LinePrinter {
public:
    void printLine(const QStringList& pieces, int indentColumns) override
    {
        calls.append(QStringList{QStringLiteral("line %1:").arg(indentColumns)} + pieces);
    }

    void setFont(const QString& family, double pointSize) override
    {
        calls.append({QStringLiteral("font"), family, QString::number(pointSize)});
    }

    bool endDocument(QString& failureReason) override
    {
        calls.append({QStringLiteral("end")});
        if (!failure.isEmpty())
            failureReason = failure;
        return failure.isEmpty();
    }

    QList<QStringList> calls;
    QString failure; // empty: every document prints
};
