#include "tests/ui/screen_reader_client.h"

#include <QWidget>

#include <windows.h>

void AskForAccessibleWindow(QWidget& window)
{
    // UiaRootObjectId of uiautomationcoreapi.h, which MinGW-w64 lacks.
    constexpr LPARAM uiaRootObjectId = -25;
    SendMessageW(reinterpret_cast<HWND>(window.winId()), WM_GETOBJECT, 0, uiaRootObjectId);
}
