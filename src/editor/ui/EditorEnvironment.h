// What all editor views share: the settings they draw with, the measures of the editor
// font, the table of views that scroll together, and the last search.
#pragma once

#include <QObject>
#include <QPointer>

#include <array>

#include "editor/EditorColors.h"
#include "editor/Search.h"
#include "editor/ViewFlags.h"
#include "editor/ui/LineRenderer.h"
#include "platform/LogFont.h"

namespace quillon {

class CLiView;
class Notifier;

// What the views take from the program's settings. Held by reference, so that the View
// menu, the colours dialog and the font dialog of the program change what the views draw
// with; whoever changes them calls editorFontChanged() or displayChanged() afterwards.
struct EditorSettings {
    ViewFlags& flags;
    const EditorColors& colors;
    const LogFont& font;  // the editor font
};

class EditorEnvironment : public QObject {
    Q_OBJECT
public:
    // Views that scroll together: the first view of each document takes the first free
    // slot; a view that finds none is still counted but scrolls alone.
    static constexpr std::size_t kRegistrySlots = 20;

    EditorEnvironment(EditorSettings settings, Notifier& notifier, QObject* parent = nullptr);

    ViewFlags& flags() { return m_settings.flags; }
    const EditorColors& colors() const { return m_settings.colors; }
    // Where the views' messages go ("String '...' is not founf." and the like).
    Notifier& notifier() { return m_notifier; }
    SearchState& search() { return m_search; }
    const RenderMetrics& metrics() const { return m_metrics; }

    // After a change of the editor font: measures again and lays every view out anew.
    void editorFontChanged();
    // After a change of flags or colours: every view is drawn again.
    void displayChanged();

    bool overwrite() const;
    void toggleOverwrite();

    // "&Paste" of the pop-up menu is offered once a copy was made in this run.
    bool copyUsed() const { return m_copyUsed; }
    void noteCopy() { m_copyUsed = true; }

    bool registerView(CLiView* view);
    void unregisterView(CLiView* view);
    std::size_t viewCount() const { return m_viewCount; }
    void countView() { ++m_viewCount; }
    void uncountView();
    // The registered views, in the order of their slots.
    std::vector<CLiView*> registeredViews() const;
    // The registered views other than the one given.
    std::vector<CLiView*> otherViews(const CLiView* view) const;

    // The wheel and scroll-bar requests of one view, passed to every registered view when
    // scrolling all is on (the one that asked included).
    void wheelScroll(CLiView* from, int lines);
    void scrollBarMoved(CLiView* from, int topLine);

signals:
    void metricsChanged();
    void repaintAll();
    void overwriteChanged(bool overwrite);
    void caretMoved(std::size_t line, std::size_t column);

private:
    // The editor font's measures, with the tab width and line spacing.
    void measure();

    EditorSettings m_settings;
    Notifier& m_notifier;
    SearchState m_search;
    RenderMetrics m_metrics;
    bool m_copyUsed = false;
    std::array<QPointer<CLiView>, kRegistrySlots> m_registry;
    std::size_t m_viewCount = 0;
    bool m_broadcasting = false;
};

}  // namespace quillon
