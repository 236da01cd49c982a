#pragma once

class QWidget;

// Asks for the window's accessible root as a screen reader does first, which
// makes Qt's accessibility active where the platform waits for that.
void AskForAccessibleWindow(QWidget& window);
