#include "platform/windows/spooler_document.h"

#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/print_document.h"

namespace torvel {

namespace {

// The system's own words for an error code, as one sentence.
QString SystemWords(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString words = length ? QString::fromWCharArray(text, int(length)).simplified() : QString();
    LocalFree(text);
    if (words.isEmpty())
        return QStringLiteral("the system gave no reason.");
    if (!words.endsWith(QLatin1Char('.')))
        words += QLatin1Char('.');
    return words;
}

PrintOutcome Failed(const QString& message)
{
    return {PrintOutcome::End::Failed, message};
}

QString Quoted(const std::wstring& printer)
{
    return QLatin1Char('"') + QString::fromStdWString(printer) + QLatin1Char('"');
}

// The file a document goes to, and how it stood before: a withdrawn
// document leaves no half-written file, and no file it never touched gone.
struct OutputFile {
    std::wstring path; // empty: the printer's own port
    bool existed = false;
    FILETIME written{};

    void note()
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        existed = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        written = data.ftLastWriteTime;
    }

    void removeIfTouched() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return;
        if (!existed || CompareFileTime(&data.ftLastWriteTime, &written) != 0)
            DeleteFileW(path.c_str());
    }
};

// The spooler's handles, closed whichever way the talk ends.
struct Spooler {
    HANDLE printer = nullptr;
    HDC dc = nullptr;
    HFONT font = nullptr;
    bool documentOpen = false;
    OutputFile output;

    ~Spooler()
    {
        if (documentOpen) {
            AbortDoc(dc); // withdraws the job the spooler has begun
            output.removeIfTouched();
        }
        if (font)
            DeleteObject(font);
        if (dc)
            DeleteDC(dc);
        if (printer)
            ClosePrinter(printer);
    }
};

// The name of the default printer, or why there is none.
PrintOutcome DefaultPrinter(std::wstring& name)
{
    DWORD size = 0;
    if (!GetDefaultPrinterW(nullptr, &size)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return Failed(QStringLiteral("No default printer is set up."));
        if (error != ERROR_INSUFFICIENT_BUFFER)
            return Failed(QStringLiteral("The printing service could not name the default printer: ")
                          + SystemWords(error));
    }
    name.assign(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size))
        return Failed(QStringLiteral("The printing service could not name the default printer: ")
                      + SystemWords(GetLastError()));
    name.resize(wcslen(name.c_str()));
    return {};
}

QString Text(const wchar_t* text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// What the spooler tells of the printer: a note for a queue that keeps the
// job until someone acts on the printer, and whether it writes a file.
struct PrinterState {
    QString note;
    PrinterFile file = PrinterFile::None;
};

PrinterState ReadPrinter(HANDLE printer, const std::wstring& name)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    PrinterState state;
    state.file = PrinterFileOf(Text(info->pPortName), Text(info->pDriverName), Text(info->pPrinterName));
    if (info->Status & PRINTER_STATUS_PAUSED)
        state.note = QStringLiteral("The report waits in the queue of the printer %1, which is paused. "
                                    "It prints when the printer is resumed.").arg(Quoted(name));
    else if ((info->Attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) || (info->Status & PRINTER_STATUS_OFFLINE))
        state.note = QStringLiteral("The report waits in the queue of the printer %1, which is offline. "
                                    "It prints when the printer is back online.").arg(Quoted(name));
    return state;
}

// Why the chosen file's folder takes no new file, or 0 when it does: a file
// is made and removed there at once, so that the clerk reads the system's
// reason before any job exists, and the chosen file itself is left as it
// is until the printer writes it.
DWORD FolderRefuses(const std::wstring& file)
{
    std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
    if (folder.empty())
        folder = L".";
    wchar_t probe[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"tvl", 0, probe))
        return GetLastError();
    DeleteFileW(probe);
    return 0;
}

HFONT MakeFont(HDC dc, const QString& family, double pointSize)
{
    LOGFONTW font{};
    // A negative height asks for the character height, as a point size does.
    font.lfHeight = -static_cast<LONG>(std::lround(pointSize * GetDeviceCaps(dc, LOGPIXELSY) / 72.0));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    const QString face = family.left(LF_FACESIZE - 1);
    face.toWCharArray(font.lfFaceName);
    return CreateFontIndirectW(&font);
}

bool UseFont(Spooler& spooler, const QString& family, double pointSize)
{
    const HFONT font = MakeFont(spooler.dc, family, pointSize);
    if (!font)
        return false;
    SelectObject(spooler.dc, font);
    if (spooler.font)
        DeleteObject(spooler.font);
    spooler.font = font;
    return true;
}

// Each line one line height of its font below the last, as the text cell's
// height plus the font's own leading between lines.
bool DrawLines(Spooler& spooler, const PrintDocument& document)
{
    SetBkMode(spooler.dc, TRANSPARENT);
    SetTextColor(spooler.dc, RGB(0, 0, 0));
    SetTextAlign(spooler.dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    if (!UseFont(spooler, document.fontFamily, document.pointSize))
        return false;
    int y = 0;
    for (const PrintDocument::Step& step : document.steps) {
        if (!step.fontFamily.isEmpty()) {
            if (!UseFont(spooler, step.fontFamily, step.pointSize))
                return false;
            continue;
        }
        TEXTMETRICW metrics{};
        if (!GetTextMetricsW(spooler.dc, &metrics))
            return false;
        if (!step.pieces.isEmpty()) {
            const std::wstring text = step.pieces.join(QString()).toStdWString();
            if (!TextOutW(spooler.dc, step.indentColumns * metrics.tmAveCharWidth, y, text.data(), int(text.size())))
                return false;
        }
        y += metrics.tmHeight + metrics.tmExternalLeading;
    }
    return true;
}

} // namespace

PrintOutcome SendToSpooler(const QString& title, const PrintDocument& document, const SpoolerTalk& talk)
{
    const std::function<bool()>& proceed = talk.proceed;
    const PrintOutcome cancelled{PrintOutcome::End::Cancelled, {}};
    Spooler spooler;
    std::wstring name;
    if (!proceed())
        return cancelled;
    if (PrintOutcome found = DefaultPrinter(name); found.end != PrintOutcome::End::Printed)
        return found;
    if (!proceed())
        return cancelled;
    if (!OpenPrinterW(name.data(), &spooler.printer, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_PRINTER_NAME)
            return Failed(QStringLiteral("The default printer %1 does not exist.").arg(Quoted(name)));
        return Failed(QStringLiteral("The printer %1 cannot be reached: ").arg(Quoted(name)) + SystemWords(error));
    }
    const PrinterState state = ReadPrinter(spooler.printer, name);
    if (!proceed())
        return cancelled;
    if (state.file != PrinterFile::None) {
        const QString chosen = talk.askFile(state.file);
        if (chosen.isEmpty() || !proceed())
            return cancelled;
        spooler.output.path = chosen.toStdWString();
        if (const DWORD refused = FolderRefuses(spooler.output.path))
            return Failed(QStringLiteral("The file \"%1\" cannot be written: ").arg(chosen) + SystemWords(refused));
        spooler.output.note();
        if (!proceed())
            return cancelled;
    }
    spooler.dc = CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
    if (!spooler.dc)
        return Failed(QStringLiteral("The printer %1 could not be prepared: ").arg(Quoted(name))
                      + SystemWords(GetLastError()));
    if (!proceed())
        return cancelled;
    const std::wstring documentName = title.toStdWString();
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = documentName.c_str();
    // Named, the file is written without the printer asking again.
    if (!spooler.output.path.empty())
        info.lpszOutput = spooler.output.path.c_str();
    if (StartDocW(spooler.dc, &info) <= 0) {
        spooler.output.removeIfTouched();
        return Failed(QStringLiteral("The job could not be sent to the printer %1: ").arg(Quoted(name))
                      + SystemWords(GetLastError()));
    }
    spooler.documentOpen = true;
    const auto jobFailed = [&] {
        return Failed(QStringLiteral("The job could not be sent to the printer %1: ").arg(Quoted(name))
                      + SystemWords(GetLastError()));
    };
    if (!proceed())
        return cancelled;
    if (StartPage(spooler.dc) <= 0)
        return jobFailed();
    if (!DrawLines(spooler, document))
        return Failed(QStringLiteral("The page could not be prepared for printing."));
    if (!proceed())
        return cancelled;
    if (EndPage(spooler.dc) <= 0)
        return jobFailed();
    if (!proceed())
        return cancelled;
    // Once the document is closed the job is the spooler's, whole.
    if (EndDoc(spooler.dc) <= 0)
        return jobFailed();
    spooler.documentOpen = false;
    return {PrintOutcome::End::Printed, state.note};
}

} // namespace torvel
