#pragma once

// What the parts of the main window share: the frame and area measures, the
// employer header's fields and the helpers that name and caption controls.

#include "app/ControlNames.h"
#include "app/Form1.h"
#include "declaration/DeclarationFile.h"
#include "declaration/HeaderField.h"

#include <QColor>
#include <QLabel>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>

// The employer header: one line edit per field of the employer record, in
// keyboard order, each as long as its place in the record.
struct HeaderSlot
{
    HeaderField field;
    const char* caption;
    int maxLength;
    std::string declaration::EmployerHeader::*value;
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
// The same frame without the menu bar, as a window manager draws it outside
// the window: what a window placed on the screen must leave room for.
constexpr QMargins DecorationMargins(FrameWidth / 2, FrameHeight - 20 - FrameWidth / 2, FrameWidth / 2,
                                     FrameWidth / 2);

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
// The start picture's size, should the picture be missing.
constexpr QSize StartPictureSize(919, 517);

// The employer header's other controls (its fields stand in HeaderSlots).
inline const QColor AddressLabelColour(192, 192, 192);
constexpr QRect AddressLabelRect(8, 84, 96, 32);
constexpr QRect MandatoryNoteRect(712, 56, 200, 21);
constexpr QRect HeaderKindRect(712, 4, 200, 20);
constexpr QRect LegalEntityButtonRect(0, 0, 90, 20);
constexpr QRect NaturalPersonButtonRect(90, 0, 110, 20);

// Between the detail bar and the grid: the row label, the navigator's
// captioned buttons side by side, and the two sort buttons.
constexpr QRect Label32Rect(8, 148, 232, 47);
constexpr QPoint NavigatorPosition(244, 148);
constexpr int NavigatorHeight = 60;
constexpr int NavSlotWidth = 84; // one button with its caption
constexpr int NavCaptionGap = 4; // between one caption and the next
constexpr int NavCaptionHeight = 30;
constexpr int NavButtonInset = 8; // from the left of its slot
constexpr int NavButtonTop = 33;
constexpr int NavButtonWidth = NavSlotWidth - 20;
constexpr int NavButtonHeight = 25;
constexpr QRect AlphabeticSortRect(764, 156, 110, 44);
constexpr QRect AfmSortRect(884, 156, 110, 44);

// The totals panel: nine boxes in a row under their captions.
constexpr int TotalBoxWidth = 97;
constexpr int TotalBoxGap = 13;
constexpr int TotalCaptionTop = 17;
constexpr int TotalCaptionHeight = 28;
constexpr int TotalBoxTop = 47;
constexpr int TotalBoxHeight = 21;

QString utf8(const char* text);
QString spoken(const char* caption);
QLabel* titleBar(QWidget* parent, const char* objectName, const char* caption, int top, int height);
QLabel* label(QWidget* parent, const char* objectName, const char* caption, const QRect& where,
              bool bold = false);
extern const HeaderSlot HeaderSlots[10];
std::string LabelName(HeaderField field);

} // namespace form1
