#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QAction;
class QWidget;

// What a screen reader and the tools that drive the window see of one menu
// entry. Qt's own entries answer with their text only; these also answer
// with the entry's object name as their description, so an entry can be
// found by the name the rest of the program knows it by, as every control of
// the window can.
class MenuEntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    // The dynamic property of a QAction that holds its description; only
    // entries that carry it get this interface.
    static constexpr const char* DescriptionProperty = "accessibleDescription";

    // Makes Qt build entries through Factory (once per program).
    static void Install();
    static QAccessibleInterface* Factory(const QString& key, QObject* object);

    MenuEntryAccessible(QWidget* owner, QAction* action);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QPointer<QAction> m_action;
    QPointer<QWidget> m_owner; // the menu or menu bar that shows the entry
};
