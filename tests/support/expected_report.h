#pragma once

#include <QStringList>

// The report as RecordingLinePrinter writes it down, call by call, with the
// report's literals written out and ends[i] after the i-th literal line.
inline QStringList ExpectedCalls(const QStringList& ends)
{
    return {
        "line 0 ",
        "line 0 ",
        "line 0 ",
        "font Times New Roman 12",
        "line 20 Chicago Mercantile Exchange Gradee AA Butter Price  -     $" + ends[0],
        "line 20 Chicago Mercantile Exchange Block Cheddar Cheese Price  -     $" + ends[1],
        "line 20 Orvania Weighted Average Powder Price  -     $" + ends[2],
        "line 0 ",
        "line 0 ",
        "line 20 At the above commodity prices, Class Prices are:",
        "line 0 ",
        "line 20 Class 4A FAT  -  " + ends[3],
        "line 20 Class 4A SNF  -  " + ends[4],
        "line 20 Class 4A cwt  -  " + ends[5],
        "line 0 ",
        "line 20 Class 4B FAT  -  " + ends[6],
        "line 20 Class 4B SNF  -  " + ends[7],
        "line 20 Class 4B cwt  -  " + ends[8],
        "end",
    };
}

