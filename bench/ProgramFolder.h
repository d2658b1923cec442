#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// Gives a benchmark's program folder the income-kind list the workspace opens at start.
inline void PrepareProgramFolder(const QString& folder)
{
    QDir(folder).mkdir(QStringLiteral("Addon"));
    QFile list(QDir(folder).filePath(QStringLiteral("Addon/typeofinc.txt")));
    list.open(QIODevice::WriteOnly);
    list.write("10 wages\r\n11 pensions\r\n");
}
