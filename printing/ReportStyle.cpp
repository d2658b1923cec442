#include "printing/ReportStyle.h"

#include <QFont>
#include <QString>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>

QFont ReportStyle::Face()
{
    return QFont(QStringLiteral("DejaVu Sans"), 7);
}

void ReportStyle::Prepare(QTextDocument& document, const QString& folder)
{
    // Relative picture names are resolved against the report's own folder.
    document.setBaseUrl(QUrl::fromLocalFile(folder + QLatin1Char('/')));
    document.setDefaultFont(Face());
    // A narrow column grows to its longest word instead of cutting the word
    // (an amount, a tax number) in the middle.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(wrapping);
}
