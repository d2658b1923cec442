#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFontMetrics;

// Breaks a column title into the lines it is drawn on. The title breaks only
// at blanks: each word with the blanks after it is a token, put on a line
// while the line (without its closing blanks) stays within `maxWidth` as
// `measure` sees it, and never split, so a word wider than the column stands
// alone. Lines that were followed by another are trimmed; the last one keeps
// its blanks.
QStringList WrapCaption(const QString& caption, int maxWidth,
                        const std::function<int(const QString&)>& measure);
QStringList WrapCaption(const QString& caption, int maxWidth, const QFontMetrics& metrics);
