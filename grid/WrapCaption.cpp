#include "grid/WrapCaption.h"

#include <QFontMetrics>

namespace {

// A title breaks only at blanks: a word, with the blanks after it, is one
// token, so that "(*)" or "ΠΑΡ/ΘΗΚΕ" never parts.
QStringList Tokens(const QString& caption)
{
    QStringList tokens;
    QString token;
    for (const QChar ch : caption) {
        if (ch != QLatin1Char(' ') && token.endsWith(QLatin1Char(' '))) {
            tokens << token;
            token.clear();
        }
        token += ch;
    }
    tokens << token; // the last token ends the list, even an empty one
    return tokens;
}

// Blanks and control characters at both ends go.
QString Trimmed(const QString& line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin).unicode() <= 0x20) {
        ++begin;
    }
    while (end > begin && line.at(end - 1).unicode() <= 0x20) {
        --end;
    }
    return line.mid(begin, end - begin);
}

} // namespace

QStringList WrapCaption(const QString& caption, int maxWidth,
                        const std::function<int(const QString&)>& measure)
{
    const QStringList tokens = Tokens(caption);
    QStringList lines{tokens.first()};
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        const QString longer = lines.last() + tokens.at(i);
        // The blanks that end a line take no room in it.
        if (measure(Trimmed(longer)) > maxWidth) {
            lines.last() = Trimmed(lines.last());
            lines << tokens.at(i);
        } else {
            lines.last() = longer;
        }
    }
    return lines;
}

QStringList WrapCaption(const QString& caption, int maxWidth, const QFontMetrics& metrics)
{
    return WrapCaption(caption, maxWidth,
                       [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
}
