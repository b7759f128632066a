#include "editor/ui/CChildFrame.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QSplitter>
#include <QVBoxLayout>

#include "editor/ui/CLiView.h"
#include "platform/ui/Latin1.h"

namespace quillon {

CChildFrame::CChildFrame(std::unique_ptr<CLiDoc> doc, EditorEnvironment& environment,
                         QString untitledName, QWidget* parent)
    : QWidget(parent),
      m_doc(std::move(doc)),
      m_untitledName(std::move(untitledName)),
      m_rows(new QSplitter(Qt::Vertical, this))
{
    // The first pane takes part in synchronised scrolling; the others show the same
    // document and follow its caret when they open.
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        m_panes[i] = new CLiView(*m_doc, environment, i == 0);
        connect(m_panes[i], &CLiView::activated, this, [this, i] {
            m_active = m_panes[i];
            emit viewActivated(m_active);
        });
    }
    for (int row = 0; row < 2; ++row) {
        auto* columns = new QSplitter(Qt::Horizontal);
        columns->addWidget(m_panes[static_cast<std::size_t>(row * 2)]);
        columns->addWidget(m_panes[static_cast<std::size_t>(row * 2 + 1)]);
        columns->setSizes({1, 0});
        m_columns[static_cast<std::size_t>(row)] = columns;
        m_rows->addWidget(columns);
        // The two rows share their column widths, as the panes of a grid.
        connect(columns, &QSplitter::splitterMoved, this, [this, row] {
            if (m_syncingColumns)
                return;
            m_syncingColumns = true;
            m_columns[static_cast<std::size_t>(1 - row)]->setSizes(
                m_columns[static_cast<std::size_t>(row)]->sizes());
            m_syncingColumns = false;
            panesResized();
        });
    }
    m_rows->setSizes({1, 0});
    connect(m_rows, &QSplitter::splitterMoved, this, &CChildFrame::panesResized);
    m_active = m_panes[0];
    m_paneShown[0] = true;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_rows);
    setFocusProxy(m_panes[0]);
    m_doc->addObserver(this);
    refreshTitle();
}

CChildFrame::~CChildFrame()
{
    m_doc->removeObserver(this);
    // The panes observe the document: they go before it does.
    delete m_rows;
}

CLiView* CChildFrame::activeView() const
{
    return m_active;
}

CLiView* CChildFrame::pane(int row, int column) const
{
    return m_panes[static_cast<std::size_t>(row * 2 + column)];
}

QString CChildFrame::documentTitle() const
{
    return m_doc->pathName().empty() ? m_untitledName : fromBytes(m_doc->pathName());
}

void CChildFrame::refreshTitle()
{
    const QString title = m_doc->pathName().empty()
                              ? m_untitledName
                              : QFileInfo(fromBytes(m_doc->pathName())).fileName();
    setWindowTitle(title + "[*]");
    setWindowModified(m_doc->isModified());
}

void CChildFrame::modifiedChanged(bool modified)
{
    setWindowModified(modified);
}

void CChildFrame::splitPanes(bool rows, bool columns)
{
    const int height = std::max(2, m_rows->height());
    const int width = std::max(2, m_columns[0]->width());
    m_rows->setSizes(rows ? QList<int>{height / 2, height - height / 2} : QList<int>{height, 0});
    for (auto* splitter : m_columns)
        splitter->setSizes(columns ? QList<int>{width / 2, width - width / 2}
                                   : QList<int>{width, 0});
    panesResized();
}

void CChildFrame::panesResized()
{
    const QList<int> rowSizes = m_rows->sizes();
    const QList<int> columnSizes = m_columns[0]->sizes();
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const bool shown = rowSizes.value(static_cast<int>(i / 2)) > 0 &&
                           columnSizes.value(static_cast<int>(i % 2)) > 0;
        // A pane that opens starts where the pane last used stands.
        if (shown && !m_paneShown[i] && m_active && m_active != m_panes[i])
            m_panes[i]->takeStateOf(*m_active);
        m_paneShown[i] = shown;
        if (!shown && m_active == m_panes[i])
            m_active = m_panes[0];
    }
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (m_closeCheck && !m_closeCheck(*this)) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace quillon
