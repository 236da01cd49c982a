#pragma once

#include <QFileDialog>

#include "platform/printer_file.h"

namespace torvel {

// Asks where a printer that writes files puts the report, before the
// document starts, so that the printer asks nothing itself: a save dialog
// over the window, offering the printer's kind of file under the report's
// name in the clerk's Documents folder. Replacing a file is confirmed in
// the dialog itself.
class ReportFileDialog : public QFileDialog {
    Q_OBJECT

public:
    ReportFileDialog(PrinterFile kind, const QString& documentName, QWidget* parent = nullptr);

    // The chosen file in the system's own spelling, or empty.
    QString chosenFile() const;
};

} // namespace torvel
