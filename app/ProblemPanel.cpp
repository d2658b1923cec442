#include "app/ProblemPanel.h"

#include "app/ControlNames.h"
#include "text/Cp1253.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A message runs wider than the panel: its line shows it whole as a tip.
class ProblemLines : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        return QStringListModel::data(index, role == Qt::ToolTipRole ? Qt::DisplayRole : role);
    }
};

QString Counted(size_t count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(count == 1 ? one : many);
}

} // namespace

ProblemPanel::ProblemPanel(QWidget* parent) : QFrame(parent)
{
    const QString caption = QString::fromUtf8("Έλεγχος όλων των εγγραφών");
    NameControl(this, "ProblemPanel", caption);
    setFrameShape(QFrame::StyledPanel);

    m_title = new QLabel(caption, this);
    NameControl(m_title, "ProblemTitle", caption);
    m_close = new QToolButton(this);
    m_close->setText(QString::fromUtf8("Κλείσιμο"));
    NameControl(m_close, "ProblemClose", m_close->text());
    m_close->setFocusPolicy(Qt::NoFocus);

    m_model = new ProblemLines(this);
    m_list = new QListView(this);
    NameControl(m_list, "ProblemList", QString::fromUtf8("Προβλήματα"));
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true); // keeps a list of every row's problem quick to lay out
    m_list->installEventFilter(this);
    m_title->setBuddy(m_list);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_title, 1);
    top->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);

    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { Choose(index.row()); });
    connect(m_close, &QToolButton::clicked, this, [this] { Close(); });
}

QString ProblemPanel::LineText(const DeclarationCheck::Problem& problem)
{
    const bool warning = problem.kind == DeclarationCheck::Problem::Kind::Warning;
    return QString::fromUtf8("Γραμμή ") + QString::number(problem.row + 1) + QString::fromUtf8(" — ") +
           cp1253::toUnicode(problem.afm) + QString::fromUtf8(" — ") +
           cp1253::toUnicode(problem.surname).trimmed() +
           QString::fromUtf8(warning ? " (προειδοποίηση): " : ": ") + QString::fromStdString(problem.message);
}

QString ProblemPanel::TitleText(const std::vector<DeclarationCheck::Problem>& problems)
{
    if (problems.empty())
        return QString::fromUtf8("Έλεγχος όλων των εγγραφών: δεν βρέθηκαν προβλήματα");
    size_t warnings = 0;
    for (const auto& problem : problems)
        warnings += problem.kind == DeclarationCheck::Problem::Kind::Warning ? 1 : 0;
    return QString::fromUtf8("Έλεγχος όλων των εγγραφών: ") +
           Counted(problems.size() - warnings, "πρόβλημα", "προβλήματα") + QString::fromUtf8(", ") +
           Counted(warnings, "προειδοποίηση", "προειδοποιήσεις");
}

void ProblemPanel::ShowProblems(std::vector<DeclarationCheck::Problem> problems)
{
    m_problems = std::move(problems);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(m_problems.size()));
    for (const auto& problem : m_problems)
        lines.push_back(LineText(problem));
    m_model->setStringList(lines);
    m_title->setText(TitleText(m_problems));
    m_title->setAccessibleName(m_title->text());
    if (!m_problems.empty())
        m_list->setCurrentIndex(m_model->index(0));
    show();
}

bool ProblemPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Choose(m_list->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void ProblemPanel::Choose(int line)
{
    if (line < 0 || static_cast<size_t>(line) >= m_problems.size() || !RowChosen)
        return;
    // A copy: the handler may check again and replace the list.
    const DeclarationCheck::Problem problem = m_problems[static_cast<size_t>(line)];
    RowChosen(problem);
}

void ProblemPanel::Close()
{
    hide();
    if (Closed)
        Closed();
}
