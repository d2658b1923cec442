#pragma once

// What the parts of the main window share: the frame and area measures, the
// employer header's fields and the helpers that name and caption controls.

#include "app/ControlNames.h"
#include "app/Form1.h"
#include "workspace/DeclarationFile.h"
#include "workspace/HeaderField.h"

#include <QColor>
#include <QLabel>
#include <QRect>
#include <QString>
#include <string>

using declaration::EmployerHeader;

// The employer header: one line edit per field of the employer record, in
// keyboard order, each as long as its place in the record.
struct HeaderSlot
{
    HeaderField field;
    const char* caption;
    int maxLength;
    std::string EmployerHeader::*value;
    QRect labelRect;
    QRect fieldRect;
    // Whole numbers: the year, the tax number and the postcode take digits only.
    bool digitsOnly = false;
    // A natural person's first and father's names: hidden while the header
    // describes a legal entity, yet holding what a read file's name carries.
    bool shown = true;
};

namespace form1 {

inline const QColor TitleBarColour(48, 159, 192);

// The classic frame around the client area: borders of 4 pixels each side,
// a caption of 26 and the menu bar of 20. The layout rules measure from the
// outer size of such a frame; taking it as a constant keeps the layout the
// same under every window manager (and under none), where the real frame is
// known only after the window is mapped, if at all.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 54;

constexpr int HeaderBarHeight = 15;
constexpr int DetailBarTop = 124;
constexpr int DetailBarHeight = 19;
constexpr int GridLeft = 1;
constexpr int GridTop = 217;
constexpr int GridHeight = 352;
constexpr int GridTitleHeight = 45;
constexpr int GridRowHeight = 17;
constexpr int IncomeKindListWidth = 350;

// The desktop's colours for the roles the grid paints with: the border of an
// active window behind the current row, an inactive title bar behind the
// cell that has the keyboard.
inline const QColor ActiveBorderColour(212, 208, 200);
inline const QColor InactiveCaptionColour(128, 128, 128);
constexpr int TotalsHeight = 81;
constexpr int TotalsFromBottom = 138;
constexpr int GridWidthMargin = 10;
constexpr int StartPictureTop = 50;
constexpr int StartLineBelowPicture = 100;

QString utf8(const char* text);
QString spoken(const char* caption);
QLabel* titleBar(QWidget* parent, const char* objectName, const char* caption, int top, int height);
QLabel* label(QWidget* parent, const char* objectName, const char* caption, const QRect& where,
              bool bold = false);
extern const HeaderSlot HeaderSlots[10];
std::string LabelName(HeaderField field);

} // namespace form1
