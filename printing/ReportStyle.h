#pragma once

class QFont;
class QString;
class QTextDocument;

// The look every printed report shares: its face and how its text wraps.
// Both the hand-laid detailed list and the documents printed from report
// files take it from here, so neither has to reach into the other.
class ReportStyle
{
public:
    // The face every report is printed in.
    static QFont Face();
    // The face, size and wrapping of every report; pictures are found in `folder`.
    static void Prepare(QTextDocument& document, const QString& folder);
};
