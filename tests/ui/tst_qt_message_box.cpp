#include <QDir>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/password_dialog.h"
#include "platform/printer_file.h"
#include "platform/qt_message_box.h"
#include "platform/report_file_dialog.h"
#include "tests/support/calculator_fixture.h"

namespace {

// What the user saw of the modal box, read while it was open.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*>::size_type buttonCount = 0;
    bool okButton = false;
    bool okButtonIcon = false;
    Qt::WindowModality modality = Qt::NonModal;
};

// Waits for a QMessageBox to become the active modal widget, notes what it
// shows, and closes it with a key as a user would. If none appears, or the
// key does not close it, the watchdog closes whatever is modal so that the
// test fails instead of hanging.
class BoxCloser : public QObject {
public:
    BoxCloser(Qt::Key key, SeenBox& seen)
        : m_key(key), m_seen(seen)
    {
        connect(&m_poll, &QTimer::timeout, this, &BoxCloser::poll);
        m_poll.start(10);
        m_watchdog.setSingleShot(true);
        connect(&m_watchdog, &QTimer::timeout, this, [] {
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_watchdog.start(20000);
    }

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || m_seen.seen)
            return;
        m_seen.seen = true;
        m_seen.title = box->windowTitle();
        m_seen.text = box->text();
        m_seen.icon = box->icon();
        m_seen.buttonCount = box->buttons().size();
        m_seen.okButton = box->button(QMessageBox::Ok) != nullptr;
        m_seen.okButtonIcon = m_seen.okButton && !box->button(QMessageBox::Ok)->icon().isNull();
        m_seen.modality = box->windowModality();
        m_poll.stop();
        QTest::keyClick(box->windowHandle(), m_key);
    }

    Qt::Key m_key;
    SeenBox& m_seen;
    QTimer m_poll;
    QTimer m_watchdog;
};

// The default style as GNOME's and KDE's platform themes make it: with icons
// on dialog buttons, a check mark on OK.
class ButtonIconsStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

class TestQtMessageBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void pleaseInputIsAModalBoxTheUserCloses_data();
    void pleaseInputIsAModalBoxTheUserCloses();
    // The printer's password question, the other modal dialog of the platform.
    void passwordIsAskedInAModalDialog_data();
    void passwordIsAskedInAModalDialog();
    // A printer that writes files asks nothing itself: the program asks.
    void printerThatWritesAFileIsToldByItsPort_data();
    void printerThatWritesAFileIsToldByItsPort();
    void reportFileIsAskedInASaveDialog_data();
    void reportFileIsAskedInASaveDialog();
};

void TestQtMessageBox::initTestCase()
{
    QApplication::setStyle(new ButtonIconsStyle);
}

void TestQtMessageBox::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestQtMessageBox::pleaseInputIsAModalBoxTheUserCloses_data()
{
    QTest::addColumn<Qt::Key>("closingKey");

    QTest::newRow("Enter on OK") << Qt::Key_Return;
    QTest::newRow("Space on OK") << Qt::Key_Space;
    QTest::newRow("Escape") << Qt::Key_Escape;
}

void TestQtMessageBox::pleaseInputIsAModalBoxTheUserCloses()
{
    QFETCH(Qt::Key, closingKey);
    torvel::QtMessageBox messageBox;
    RecordingLinePrinter printer;
    torvel::frmCalculator window(messageBox, printer);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* cheese = window.findChild<QLineEdit*>("txtCMECheese");
    window.findChild<QLineEdit*>("txtCMEButter")->setText("1.4");
    auto* calculate = window.findChild<QPushButton*>("cmdCalculate");
    calculate->setFocus();

    // State: cheese and powder empty. Action: Enter on Calculate; the box
    // shows, and the user closes it.
    SeenBox seen;
    BoxCloser closer(closingKey, seen);
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);

    // Expected: one plain box with the message, and the window as it was.
    QVERIFY2(seen.seen, "no message box was shown");
    QCOMPARE(seen.title, QStringLiteral("Torvel Calculator"));
    QCOMPARE(seen.text, QStringLiteral("Please input all commodities."));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttonCount, 1);
    QVERIFY(seen.okButton);
    QVERIFY2(!seen.okButtonIcon, "the style's icon shows on OK");
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(window.findChild<QLineEdit*>("txtCMEButter")->text(), QStringLiteral("1.4"));
    QVERIFY(cheese->text().isEmpty());
    QVERIFY(window.findChild<QLabel*>("lbl4AFAT")->text().isEmpty());
    // The window is active again with its focus on Calculate, although the
    // offscreen platform has no window manager to hand the activation back.
    QCOMPARE(window.focusWidget(), calculate);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), calculate);
}

void TestQtMessageBox::passwordIsAskedInAModalDialog_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("sent");

    QTest::newRow("Enter sends") << Qt::Key_Return << true;
    QTest::newRow("Escape cancels") << Qt::Key_Escape << false;
}

void TestQtMessageBox::passwordIsAskedInAModalDialog()
{
    QFETCH(Qt::Key, key);
    QFETCH(bool, sent);

    // State: the printer "QA" asks; the login name is "clerk".
    torvel::PasswordDialog dialog(QStringLiteral("QA"), QStringLiteral("clerk"), false);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Torvel Calculator"));
    QCOMPARE(dialog.objectName(), QStringLiteral("printPassword"));
    QVERIFY(dialog.isModal());
    auto* user = dialog.findChild<QLineEdit*>(QStringLiteral("printUser"));
    auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("printPasswordText"));
    QVERIFY(user && password);
    QCOMPARE(user->text(), QStringLiteral("clerk"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(QApplication::focusWidget(), password);

    // Action: the clerk types the password where the focus is, then the key.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("s3cret"));
    QTest::keyClick(QApplication::focusWidget(), key);

    // Expected: sent or cancelled; what was sent is taken once, leaving no copy.
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result() == QDialog::Accepted, sent);
    if (sent) {
        const torvel::PrintCredentials given = dialog.takeCredentials();
        QCOMPARE(given.user, QStringLiteral("clerk"));
        QCOMPARE(given.password, QByteArray("s3cret"));
        QVERIFY(password->text().isEmpty());
    }
}

void TestQtMessageBox::printerThatWritesAFileIsToldByItsPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("printer");
    QTest::addColumn<torvel::PrinterFile>("file");

    using torvel::PrinterFile;
    const QString pdf = QStringLiteral("Microsoft Print To PDF");
    const QString xps = QStringLiteral("Microsoft XPS Document Writer v4");
    QTest::newRow("Microsoft Print to PDF: PDF") << "PORTPROMPT:" << pdf << "Microsoft Print to PDF"
                                                  << PrinterFile::Pdf;
    QTest::newRow("Microsoft Print to PDF renamed: its driver says PDF") << "PORTPROMPT:" << pdf << "Office PDF"
                                                                         << PrinterFile::Pdf;
    QTest::newRow("XPS Document Writer: XPS") << "PORTPROMPT:" << xps << "Microsoft XPS Document Writer"
                                              << PrinterFile::Xps;
    QTest::newRow("XPS writer of an older driver, without v4") << "PORTPROMPT:" << "Microsoft XPS Document Writer"
                                                               << "Microsoft XPS Document Writer" << PrinterFile::Xps;
    QTest::newRow("a PostScript printer on FILE:: any file") << "FILE:" << "Generic PostScript" << "Laser"
                                                             << PrinterFile::AnyFile;
    QTest::newRow("file: in lower case") << "file:" << "Generic PostScript" << "Laser" << PrinterFile::AnyFile;
    QTest::newRow("a pool with FILE: among its ports") << "LPT1:, FILE:" << "Generic PostScript" << "Laser"
                                                      << PrinterFile::AnyFile;
    QTest::newRow("PDF printer on FILE:: PDF") << "FILE:" << pdf << "Microsoft Print to PDF" << PrinterFile::Pdf;
    QTest::newRow("PDF printer on a port naming its file: no question") << "C:\\Reports\\out.pdf" << pdf
                                                                        << "Microsoft Print to PDF"
                                                                        << PrinterFile::None;
    QTest::newRow("a network printer: paper") << "IP_192.168.1.20" << "HP Universal Printing PCL 6" << "Front desk"
                                              << PrinterFile::None;
    QTest::newRow("a port that only ends like FILE:") << "MYFILE:" << "Generic PostScript" << "Laser"
                                                     << PrinterFile::None;
    QTest::newRow("Wine's printer for a CUPS queue") << "CUPS:office" << "office" << "office" << PrinterFile::None;
    QTest::newRow("no port at all") << "" << pdf << "Microsoft Print to PDF" << PrinterFile::None;
}

void TestQtMessageBox::printerThatWritesAFileIsToldByItsPort()
{
    QFETCH(QString, port);
    QFETCH(QString, driver);
    QFETCH(QString, printer);
    QFETCH(torvel::PrinterFile, file);

    QCOMPARE(torvel::PrinterFileOf(port, driver, printer), file);
}

void TestQtMessageBox::reportFileIsAskedInASaveDialog_data()
{
    QTest::addColumn<torvel::PrinterFile>("kind");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen");

    using torvel::PrinterFile;
    QTest::newRow("PDF, a name without its suffix") << PrinterFile::Pdf << "PDF document (*.pdf)" << "March"
                                                    << "March.pdf";
    QTest::newRow("XPS, the Windows 8 suffix kept") << PrinterFile::Xps << "XPS document (*.xps *.oxps)"
                                                    << "March.oxps" << "March.oxps";
    QTest::newRow("any file, a printer file proposed") << PrinterFile::AnyFile << "Printer file (*.prn)"
                                                       << "March" << "March.prn";
}

void TestQtMessageBox::reportFileIsAskedInASaveDialog()
{
    QFETCH(torvel::PrinterFile, kind);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QTemporaryDir folder;
    QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));

    // State: the printer writes files of the kind; the dialog is Qt's own,
    // so that keys reach it on every system (and Windows' own shows its
    // proposed name only once it is open).
    torvel::ReportFileDialog dialog(kind, QStringLiteral("Milk Price Report"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Torvel Calculator"));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QVERIFY2(!dialog.testOption(QFileDialog::DontConfirmOverwrite), "a file would be replaced unasked");
    QCOMPARE(dialog.nameFilters().first(), filter);
    QVERIFY(QDir(dialog.directory()).exists());
    QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).fileName(),
             QStringLiteral("Milk Price Report.") + dialog.defaultSuffix());
    dialog.setDirectory(folder.path());
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    // Action: the clerk types a name in place of the one proposed, and Enter.
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->selectAll();
    QTest::keyClicks(name, typed);
    QTest::keyClick(name, Qt::Key_Return);

    // Expected: that file in that folder, spelt as the system spells paths.
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenFile(), QDir::toNativeSeparators(QDir(folder.path()).filePath(chosen)));
}

QTEST_MAIN(TestQtMessageBox)
#include "tst_qt_message_box.moc"
