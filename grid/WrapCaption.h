#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFontMetrics;

// Breaks a column title into the lines it is drawn on. The title is cut into
// tokens after each delimiter (blank and the punctuation a caption breaks
// at); tokens are put on a line while the line stays within `maxWidth` as
// `measure` sees it, and never split, so a token wider than the column stands
// alone and is clipped when drawn. Lines that were followed by another are
// trimmed; the last one keeps its blanks.
QStringList WrapCaption(const QString& caption, int maxWidth,
                        const std::function<int(const QString&)>& measure);
QStringList WrapCaption(const QString& caption, int maxWidth, const QFontMetrics& metrics);
