#include "app/QuestionBox.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>
#include <array>

namespace {

// Keeps the button box in the left-to-right order Yes, No, Cancel on every
// desktop (some desktops would put Cancel first or Yes last).
class LeftToRightButtons : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonLayout) {
            return QDialogButtonBox::WinLayout;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

struct ButtonSlot
{
    int requested;
    QMessageBox::StandardButton standard;
    UserInterface::Answer answer;
};

constexpr std::array<ButtonSlot, 3> Slots{{
    {UserInterface::YesButton, QMessageBox::Yes, UserInterface::Answer::Yes},
    {UserInterface::NoButton, QMessageBox::No, UserInterface::Answer::No},
    {UserInterface::CancelButton, QMessageBox::Cancel, UserInterface::Answer::Cancel},
}};

} // namespace

QuestionBox::QuestionBox(const QString& title, const std::string& message, int buttonSet,
                         const std::vector<std::string>& captions, QWidget* parent)
    : QMessageBox(QMessageBox::NoIcon, title, QString::fromStdString(message), QMessageBox::NoButton, parent)
{
    // Quoted data (a name with "<" in it) must show as typed, never as markup.
    setTextFormat(Qt::PlainText);
    size_t nextCaption = 0;
    for (const ButtonSlot& slot : Slots) {
        if ((buttonSet & slot.requested) == 0) {
            continue;
        }
        QAbstractButton* button = addButton(slot.standard);
        if (nextCaption < captions.size()) {
            button->setText(QString::fromStdString(captions[nextCaption++]));
        }
    }
    if (auto* box = findChild<QDialogButtonBox*>()) {
        auto* style = new LeftToRightButtons;
        style->setParent(box);
        box->setStyle(style);
        // The button order is read from the style when the box lays itself
        // out anew, which a change of orientation forces.
        box->setOrientation(Qt::Vertical);
        box->setOrientation(Qt::Horizontal);
    }
    KeepTitleWhole(*this);
    // The captions stand alone, without the style's pictures for Yes and No.
    for (QAbstractButton* button : QMessageBox::buttons()) {
        button->setIcon(QIcon());
    }
}

void QuestionBox::KeepTitleWhole(QMessageBox& box)
{
    // The frame's title is drawn bold in a font a little larger than the
    // box's; its buttons (close, and often minimise and maximise) and the
    // icon take about five title heights.
    QFont title = box.font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.25);
    const QFontMetrics metrics(title);
    int width = metrics.horizontalAdvance(box.windowTitle()) + 5 * (metrics.height() + 8);
    if (const QScreen* screen = box.screen()) {
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    }
    // The box fixes its own size from its layout when shown: a spacer as
    // wide as the title across the layout's bottom row sets the least width.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    }
}

UserInterface::Answer QuestionBox::Ask()
{
    exec();
    if (m_dismissed || clickedButton() == nullptr) {
        return UserInterface::Answer::Cancel;
    }
    const StandardButton pressed = standardButton(clickedButton());
    for (const ButtonSlot& slot : Slots) {
        if (slot.standard == pressed) {
            return slot.answer;
        }
    }
    return UserInterface::Answer::Cancel;
}

void QuestionBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        m_dismissed = true;
        reject();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void QuestionBox::closeEvent(QCloseEvent* event)
{
    // A box without a Cancel button would refuse to close; closing it is an
    // answer too, and that answer is Cancel.
    m_dismissed = true;
    QDialog::closeEvent(event);
}
