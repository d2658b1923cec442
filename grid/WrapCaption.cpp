#include "grid/WrapCaption.h"

#include <QFontMetrics>

namespace {

// The characters a title may break after. The blank stands three times,
// which changes nothing but is kept so the set reads as it always has.
const QString Delimiters = QStringLiteral(" ,.<>:;-*/+\"'$#() = ");

QStringList Tokens(const QString& caption)
{
    QStringList tokens;
    QString token;
    for (const QChar ch : caption) {
        token += ch;
        if (Delimiters.contains(ch)) {
            tokens << token;
            token.clear();
        }
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
        if (measure(longer) > maxWidth) {
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
