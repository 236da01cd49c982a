#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace torvel {

// What one document asks of the printer, in order: lines, and fonts set
// between them. Kept until the document ends, since the paper and the
// printer's own measures are known only once the printer has been asked.
struct PrintDocument {
    struct Step {
        QStringList pieces;
        int indentColumns = 0;
        QString fontFamily; // not empty: this step sets the font
        double pointSize = 0.0;
    };

    QString fontFamily; // current when the document began; empty: the default
    double pointSize = 0.0;
    std::vector<Step> steps;
};

} // namespace torvel
