#pragma once

#include <QWidget>

namespace torvel {

// A notice for screen readers only: an empty widget of no size that a reader
// sees as a notification named after the notice, and speaks whenever it
// appears. Nothing is drawn, and it never takes the focus.
//
// Orca speaks a text change only from the object with the focus, and the
// results never have it; a notification it speaks wherever it is, on its
// default settings, and Qt 6.4's bridge already sends what that needs.
// Windows' screen readers need more, which each system's own file adds.
class SpokenNotice : public QWidget {
    Q_OBJECT

public:
    explicit SpokenNotice(QWidget* parent);

    // Appears anew with the text, so that it is spoken even when the same
    // text was the last one.
    void say(const QString& text);

private:
    // What the system's screen readers need beyond the notice's showing:
    // spoken_notice_windows.cpp, or spoken_notice_unix.cpp.
    void tellSystem(const QString& text);
};

} // namespace torvel
