#pragma once

// Entered values as a user might type them, and lists made of them, for the list benchmarks.

#include <string>

#include <QString>

namespace velbrin::bench {

// The i-th value: whole numbers, decimals and negative numbers of a few digits, in turn.
inline QString valueText(int i)
{
    switch (i % 4) {
    case 0:
        return QString::number(i % 1000);
    case 1:
        return QString::number((i % 977) * 0.25);
    case 2:
        return QString::number(-(i % 89) - 0.5);
    default:
        return QString::number(12.75 + i % 31);
    }
}

// The list text after `count` entries: each value followed by ",".
inline std::string listOf(int count)
{
    QString list;
    for (int i = 0; i < count; ++i)
        list += valueText(i) + QLatin1Char(',');
    return list.toStdString();
}

} // namespace velbrin::bench
