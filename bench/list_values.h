#pragma once

// Entered values as a user might type them, and lists made of them, for the list benchmarks.

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

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

// The options both list benchmarks take: --entries N (entries timed per list length) and
// --sizes A,B,... (the list lengths).
struct ListOptions
{
    int entries;
    std::vector<int> sizes = { 10, 100, 1000, 3000, 10000, 30000, 100000 };
};

inline ListOptions parseListOptions(int argc, char** argv, int entries)
{
    ListOptions options { entries };
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--entries") {
            options.entries = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--sizes") {
            options.sizes.clear();
            for (const QString& part : QString::fromLatin1(argv[i + 1]).split(QLatin1Char(',')))
                options.sizes.push_back(part.toInt());
        }
    }
    return options;
}

} // namespace velbrin::bench
