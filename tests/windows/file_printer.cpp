// Sets up the printer that writes files for the Windows tests, as IT would
// with the Printers control panel:
//   file_printer add NAME   adds the printer NAME on the FILE: port and makes
//                           it the default
//   file_printer default    prints the default printer's name
// Wine has no "Microsoft Print to PDF", but a FILE: printer asks for its file
// in the same way. Its driver is a copy, under the printer's own name, of the
// first one Wine has, which Wine made for a CUPS queue: Wine makes the
// scheduler's default printer Windows' default again in every program it
// starts, so the program runs with no scheduler, and Wine then removes the
// CUPS queues' printers and drivers.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

int Fail(const char* what)
{
    std::fprintf(stderr, "file_printer: %s failed with error %lu\n", what, GetLastError());
    return 1;
}

// The first driver with its data, as a driver of the printer's own, with its own copy of
// the driver's data (for Wine's PostScript driver, the queue's PPD).
bool AddDriver(std::wstring& name)
{
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> drivers(needed ? needed : 1);
    if (!EnumPrinterDriversW(nullptr, nullptr, 3, drivers.data(), needed, &needed, &count) || count == 0) {
        Fail("EnumPrinterDriversW");
        return false;
    }
    const auto* first = reinterpret_cast<const DRIVER_INFO_3W*>(drivers.data());
    const auto* found = std::find_if(first, first + count, [](const DRIVER_INFO_3W& d) { return d.pDataFile; });
    if (found == first + count) {
        std::fprintf(stderr, "file_printer: no driver has a data file\n");
        return false;
    }
    DRIVER_INFO_3W driver = *found;
    std::wstring data = driver.pDataFile;
    data.insert(data.find_last_of(L'\\') + 1, name + L" ");
    if (!CopyFileW(driver.pDataFile, data.c_str(), FALSE)) {
        Fail("CopyFileW");
        return false;
    }
    driver.pName = name.data();
    driver.pDataFile = data.data();
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        Fail("AddPrinterDriverW");
        return false;
    }
    return true;
}

int Add(wchar_t* name)
{
    std::wstring driver = std::wstring(name) + L" driver";
    if (!AddDriver(driver))
        return 1;
    wchar_t port[] = L"FILE:";
    wchar_t processor[] = L"WinPrint";
    wchar_t datatype[] = L"RAW";
    PRINTER_INFO_2W info{};
    info.pPrinterName = name;
    info.pPortName = port;
    info.pDriverName = driver.data();
    info.pPrintProcessor = processor;
    info.pDatatype = datatype;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS)
        return Fail("AddPrinterW");
    if (printer)
        ClosePrinter(printer);
    if (!SetDefaultPrinterW(name))
        return Fail("SetDefaultPrinterW");
    std::printf("%ls on FILE: with the driver %ls\n", name, driver.c_str());
    return 0;
}

int Default()
{
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size ? size : 1, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size))
        return Fail("GetDefaultPrinterW");
    std::printf("%ls\n", name.c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], L"add") == 0)
        return Add(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"default") == 0)
        return Default();
    std::fprintf(stderr, "usage: file_printer add NAME | file_printer default\n");
    return 2;
}
