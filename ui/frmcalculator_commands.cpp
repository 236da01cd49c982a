// The handlers behind the window's four buttons.

#include "ui/frmcalculator.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>

#include "calc/class_prices.h"
#include "calc/price_text.h"
#include "calc/regional_settings.h"
#include "platform/message_box.h"
#include "report/price_report.h"
#include "ui/price_table.h"
#include "ui/print_progress.h"
#include "ui/result_label.h"
#include "ui/spoken_notice.h"

namespace torvel {

namespace {

// The six prices as the window shows them, each after its caption, as one
// sentence per class.
QString SpokenPrices(const CalculatorControls& c)
{
    return QStringLiteral("Class 4A: FAT %1, SNF %2, cwt %3. Class 4B: FAT %4, SNF %5, cwt %6.")
        .arg(c.lbl4AFAT->text(), c.lbl4ASNF->text(), c.lbl4ACount->text(), c.lbl4BFAT->text(),
             c.lbl4BSNF->text(), c.lbl4BCount->text());
}

ShownPrices Shown(const CalculatorControls& c)
{
    return {{c.txtCMEButter->text(), c.txtCMECheese->text(), c.txtAveragePowder->text()},
            {c.lbl4AFAT->text(), c.lbl4ASNF->text(), c.lbl4ACount->text(), c.lbl4BFAT->text(),
             c.lbl4BSNF->text(), c.lbl4BCount->text()},
            {c.lbl4AFAT->amount(), c.lbl4ASNF->amount(), c.lbl4ACount->amount(), c.lbl4BFAT->amount(),
             c.lbl4BSNF->amount(), c.lbl4BCount->amount()}};
}

} // namespace

void frmCalculator::calculateClicked()
{
    const CalculatorControls& c = m_controls;
    // The user's regional settings, read afresh for every calculation: typed
    // prices in the numeric setting, results in the money setting.
    const QLocale numbers = NumericLocale();
    const QLocale money = MonetaryLocale();
    const QString butter = c.txtCMEButter->text();
    const QString cheese = c.txtCMECheese->text();
    const QString powder = c.txtAveragePowder->text();

    if (!IsNumericText(butter, numbers) || !IsNumericText(cheese, numbers) || !IsNumericText(powder, numbers)) {
        m_messageBox.showMessage(QStringLiteral("Please input all commodities."));
        return;
    }

    const ClassPriceInputs inputs{TextToNumber(butter, numbers), TextToNumber(cheese, numbers),
                                  TextToNumber(powder, numbers)};
    const ClassPriceResult result = CalculateClassPrices(inputs);
    const auto* prices = std::get_if<ClassPrices>(&result);
    if (!prices) {
        // Nothing has been written yet, so the previous results still stand.
        m_messageBox.showMessage(
            QStringLiteral("The prices could not be calculated because a result is out of range."));
        return;
    }

    c.lbl4AFAT->setPrice(FormatPrice(prices->Class4AFat, money), PriceAmount(prices->Class4AFat));
    c.lbl4ASNF->setPrice(FormatPrice(prices->Class4ASnf, money), PriceAmount(prices->Class4ASnf));
    c.lbl4ACount->setPrice(FormatPrice(prices->Class4ACwt, money), PriceAmount(prices->Class4ACwt));
    c.lbl4BFAT->setPrice(FormatPrice(prices->Class4BFat, money), PriceAmount(prices->Class4BFat));
    c.lbl4BSNF->setPrice(FormatPrice(prices->Class4BSnf, money), PriceAmount(prices->Class4BSnf));
    c.lbl4BCount->setPrice(FormatPrice(prices->Class4BCwt, money), PriceAmount(prices->Class4BCwt));
    m_copyPrices->setEnabled(true);
    // The results take the focus only from a click, so a reader would not
    // speak their changes: the notice speaks all six wherever the focus is.
    m_notice->say(SpokenPrices(c));
}

void frmCalculator::clearClicked()
{
    const CalculatorControls& c = m_controls;
    // The notice first, then the focus, then the emptying: a reader handles
    // events in the order they come, and a field that is emptied before it
    // has the focus takes the focus silently, by its caret moving.
    m_notice->say(QStringLiteral("Prices cleared."));
    c.txtCMEButter->setFocus(Qt::OtherFocusReason);
    c.txtCMECheese->clear();
    c.txtCMEButter->clear();
    c.txtAveragePowder->clear();
    c.lbl4ASNF->setPrice({});
    c.lbl4AFAT->setPrice({});
    c.lbl4ACount->setPrice({});
    c.lbl4BSNF->setPrice({});
    c.lbl4BFAT->setPrice({});
    c.lbl4BCount->setPrice({});
    m_copyPrices->setEnabled(false);
}

// What the window shows, as it shows it, like the printed report: a typed
// price edited after Calculate is copied as it now stands.
void frmCalculator::copyPricesTriggered()
{
    QGuiApplication::clipboard()->setMimeData(PriceTableMimeData(Shown(m_controls)));
    m_notice->say(QStringLiteral("Prices copied."));
}

// One print at a time: a second press while the first is under way would
// only print the report twice.
void frmCalculator::printClicked()
{
    if (m_printing)
        return;
    const CalculatorControls& c = m_controls;
    const PriceReportTexts texts{
        c.txtCMEButter->text(), c.txtCMECheese->text(), c.txtAveragePowder->text(),
        c.lbl4AFAT->text(),     c.lbl4ASNF->text(),     c.lbl4ACount->text(),
        c.lbl4BFAT->text(),     c.lbl4BSNF->text(),     c.lbl4BCount->text(),
    };
    m_printing = true;
    // "Working, but you may go on": the window keeps taking keys and clicks.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    m_progressDelay.start();
    PrintPriceReport(m_printer, texts, [window = QPointer(this)](const PrintOutcome& outcome) {
        if (window)
            window->printEnded(outcome);
    });
}

void frmCalculator::printEnded(const PrintOutcome& outcome)
{
    m_printing = false;
    m_progressDelay.stop();
    delete m_progress;
    QGuiApplication::restoreOverrideCursor();
    if (outcome.end == PrintOutcome::End::Failed)
        m_messageBox.showMessage(QStringLiteral("The report could not be printed. ") + outcome.message);
    else if (outcome.end == PrintOutcome::End::Printed && !outcome.message.isEmpty())
        m_messageBox.showMessage(outcome.message); // printed, but the clerk should look: a paused printer
}

void frmCalculator::printLasting()
{
    m_progress = new PrintProgress(this);
    connect(m_progress, &PrintProgress::cancelClicked, this, &frmCalculator::cancelPrint);
    m_progress->show();
}

void frmCalculator::cancelPrint()
{
    if (m_printing)
        m_printer.cancelDocument();
}

// Closing the last window ends the program (QGuiApplication's
// quitOnLastWindowClosed), with status 0 from QApplication::exec().
void frmCalculator::exitClicked()
{
    close();
}

} // namespace torvel
