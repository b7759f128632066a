// The view's part of the two-file compare: the view asked does the work.
#include <QApplication>

#include <new>

#include "editor/ui/CLiView.h"
#include "editor/ui/EditorEnvironment.h"
#include "platform/Notifier.h"

namespace quillon {

CLiView* CLiView::compare(CompareMode mode)
{
    const auto others = m_environment.otherViews(this);
    if (others.empty()) {
        m_environment.notifier().message("Could not find 2nd window");
        return nullptr;
    }
    CLiView* other = others.front();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool same = false;
    bool outOfMemory = false;
    try {
        same = compareDocuments(m_doc, other->m_doc, mode);
    } catch (const std::bad_alloc&) {
        // Nothing half done stays: the marks of both go.
        removeCompareMarks(m_doc);
        removeCompareMarks(other->m_doc);
        outOfMemory = true;
    }
    QApplication::restoreOverrideCursor();
    viewport()->update();
    other->viewport()->update();
    if (outOfMemory)
        m_environment.notifier().message("Out of memory");
    else if (same)
        m_environment.notifier().message("Compare OK");
    return other;
}

void CLiView::removeCompareResults()
{
    removeCompareMarks(m_doc);
    viewport()->update();
}

}  // namespace quillon
