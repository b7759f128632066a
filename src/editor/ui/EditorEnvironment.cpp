#include "editor/ui/EditorEnvironment.h"

#include <algorithm>

#include "editor/ui/CLiView.h"
#include "platform/ui/FontMapping.h"

namespace quillon {

EditorEnvironment::EditorEnvironment(EditorSettings settings, Notifier& notifier, QObject* parent)
    : QObject(parent), m_settings(settings), m_notifier(notifier)
{
    measure();
}

void EditorEnvironment::editorFontChanged()
{
    measure();
    emit metricsChanged();
}

void EditorEnvironment::measure()
{
    m_metrics = RenderMetrics::of(toQFont(m_settings.font), m_settings.flags.tabWidth,
                                  m_settings.flags.lineSpacingPercent);
}

void EditorEnvironment::displayChanged()
{
    emit repaintAll();
}

bool EditorEnvironment::overwrite() const
{
    return m_settings.flags.overwrite;
}

void EditorEnvironment::toggleOverwrite()
{
    m_settings.flags.overwrite = !m_settings.flags.overwrite;
    emit overwriteChanged(m_settings.flags.overwrite);
    emit repaintAll();
}

bool EditorEnvironment::registerView(CLiView* view)
{
    for (auto& slot : m_registry) {
        if (!slot) {
            slot = view;
            return true;
        }
    }
    return false;
}

void EditorEnvironment::unregisterView(CLiView* view)
{
    for (auto& slot : m_registry) {
        if (slot == view)
            slot = nullptr;
    }
}

void EditorEnvironment::uncountView()
{
    if (m_viewCount > 0)
        --m_viewCount;
}

std::vector<CLiView*> EditorEnvironment::registeredViews() const
{
    return otherViews(nullptr);
}

std::vector<CLiView*> EditorEnvironment::otherViews(const CLiView* view) const
{
    std::vector<CLiView*> views;
    for (const auto& slot : m_registry) {
        if (slot && slot != view)
            views.push_back(slot);
    }
    return views;
}

void EditorEnvironment::wheelScroll(CLiView* from, int lines)
{
    from->scrollLines(lines);
    if (!m_settings.flags.wheelScrollsAll || m_broadcasting)
        return;
    m_broadcasting = true;
    for (auto* view : otherViews(from))
        view->scrollLines(lines);
    m_broadcasting = false;
}

void EditorEnvironment::scrollBarMoved(CLiView* from, int topLine)
{
    if (!m_settings.flags.scrollBarScrollsAll || m_broadcasting)
        return;
    m_broadcasting = true;
    for (auto* view : otherViews(from))
        view->scrollToLine(topLine);
    m_broadcasting = false;
}

}  // namespace quillon
