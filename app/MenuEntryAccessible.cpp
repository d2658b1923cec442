#include "app/MenuEntryAccessible.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QWindow>

namespace {

// The menu or menu bar an entry is shown in; a drop-down menu's own entry
// in the menu bar is shown by the bar.
QWidget* shownIn(QAction* action)
{
    for (QObject* object : action->associatedObjects()) {
        if (qobject_cast<QMenu*>(object) != nullptr || qobject_cast<QMenuBar*>(object) != nullptr) {
            return static_cast<QWidget*>(object);
        }
    }
    return nullptr;
}

// A caption as read aloud: "&&" is a written ampersand, a single "&" only
// marks the mnemonic.
QString withoutMnemonic(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

} // namespace

void MenuEntryAccessible::Install()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&MenuEntryAccessible::Factory);
        installed = true;
    }
}

QAccessibleInterface* MenuEntryAccessible::Factory(const QString& key, QObject* object)
{
    if (key != QLatin1String("QAction")) {
        return nullptr;
    }
    auto* action = qobject_cast<QAction*>(object);
    if (action == nullptr || !action->property(DescriptionProperty).isValid()) {
        return nullptr;
    }
    QWidget* owner = shownIn(action);
    return owner != nullptr ? new MenuEntryAccessible(owner, action) : nullptr;
}

MenuEntryAccessible::MenuEntryAccessible(QWidget* owner, QAction* action) : m_action(action), m_owner(owner)
{
}

bool MenuEntryAccessible::isValid() const
{
    return m_action != nullptr && m_owner != nullptr;
}

QObject* MenuEntryAccessible::object() const
{
    return m_action;
}

QWindow* MenuEntryAccessible::window() const
{
    return m_owner != nullptr ? m_owner->window()->windowHandle() : nullptr;
}

QAccessibleInterface* MenuEntryAccessible::childAt(int x, int y) const
{
    QAccessibleInterface* sub = child(0);
    return sub != nullptr && sub->rect().contains(x, y) ? sub : nullptr;
}

QAccessibleInterface* MenuEntryAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_owner.data());
}

QAccessibleInterface* MenuEntryAccessible::child(int index) const
{
    if (index == 0 && m_action != nullptr && m_action->menu() != nullptr) {
        return QAccessible::queryAccessibleInterface(m_action->menu());
    }
    return nullptr;
}

int MenuEntryAccessible::childCount() const
{
    return m_action != nullptr && m_action->menu() != nullptr ? 1 : 0;
}

int MenuEntryAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (child != nullptr && m_action != nullptr && child->role() == QAccessible::PopupMenu &&
        child->object() == m_action->menu()) {
        return 0;
    }
    return -1;
}

QString MenuEntryAccessible::text(QAccessible::Text t) const
{
    if (m_action == nullptr) {
        return {};
    }
    switch (t) {
    case QAccessible::Name:
        return withoutMnemonic(m_action->text());
    case QAccessible::Description:
        return m_action->property(DescriptionProperty).toString();
    case QAccessible::Accelerator:
        return m_action->shortcut().toString();
    default:
        return {};
    }
}

void MenuEntryAccessible::setText(QAccessible::Text, const QString&) {}

QRect MenuEntryAccessible::rect() const
{
    if (m_action == nullptr || m_owner == nullptr) {
        return {};
    }
    QRect where;
    if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data())) {
        where = bar->actionGeometry(m_action);
    } else if (auto* menu = qobject_cast<QMenu*>(m_owner.data())) {
        where = menu->actionGeometry(m_action);
    }
    return where.translated(m_owner->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role MenuEntryAccessible::role() const
{
    return m_action != nullptr && m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State MenuEntryAccessible::state() const
{
    QAccessible::State s;
    if (m_action == nullptr || m_owner == nullptr) {
        s.invalid = true;
        return s;
    }
    if (!m_owner->testAttribute(Qt::WA_WState_Visible) || !m_action->isVisible()) {
        s.invisible = true;
    }
    if (auto* menu = qobject_cast<QMenu*>(m_owner.data())) {
        s.focused = menu->activeAction() == m_action;
    } else if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data())) {
        s.focused = bar->activeAction() == m_action;
    }
    if (m_owner->style()->styleHint(QStyle::SH_Menu_MouseTracking)) {
        s.hotTracked = true;
    }
    s.disabled = m_action->isSeparator() || !m_action->isEnabled();
    s.checkable = m_action->isCheckable();
    s.checked = m_action->isChecked();
    return s;
}

void* MenuEntryAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList MenuEntryAccessible::actionNames() const
{
    if (m_action == nullptr || m_action->isSeparator()) {
        return {};
    }
    return {m_action->menu() != nullptr ? showMenuAction() : pressAction()};
}

void MenuEntryAccessible::doAction(const QString& actionName)
{
    if (m_action == nullptr || m_owner == nullptr || !m_action->isEnabled()) {
        return;
    }
    if (actionName == pressAction()) {
        // The command may open a modal box; run it after the tool that asked
        // has had its answer, so the tool is free to answer the box.
        QMetaObject::invokeMethod(m_action.data(), &QAction::trigger, Qt::QueuedConnection);
        return;
    }
    if (actionName != showMenuAction()) {
        return;
    }
    if (m_action->menu() != nullptr && m_action->menu()->isVisible()) {
        m_action->menu()->hide();
    } else if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data())) {
        bar->setActiveAction(m_action);
    } else if (auto* menu = qobject_cast<QMenu*>(m_owner.data())) {
        menu->setActiveAction(m_action);
    }
}

QStringList MenuEntryAccessible::keyBindingsForAction(const QString&) const
{
    return {};
}
