// A document in a view of its own, shown offscreen, for the view's tests.
#pragma once

#include <QApplication>
#include <QTest>

#include <memory>
#include <ostream>
#include <string>

#include "app/AppSettings.h"
#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/EditorEnvironment.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon::test {

// A document in a view of its own, shown offscreen.
class ViewHarness {
public:
    explicit ViewHarness(const std::string& text, bool registered = true)
    {
        dir.write("PROG.NC", text);
        ScriptedNotifier notifier;
        doc.open(dir.path("PROG.NC"), notifier);
        settings.flags.tabWidth = 8;
        environment = std::make_unique<EditorEnvironment>(
            EditorSettings{settings.flags, settings.colors, settings.fonts[FontRole::Editor]},
            messages);
        view = std::make_unique<CLiView>(doc, *environment, registered);
        view->resize(640, 400);
        view->show();
        view->setFocus();
        QApplication::processEvents();
    }

    std::string line(std::size_t index) const { return std::string(doc.lineText(index)); }
    TextPos caret() const { return view->caretState().caret; }
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(view.get(), static_cast<Qt::Key>(key), mods);
    }
    void type(const QString& text) { QTest::keyClicks(view.get(), text); }
    QPoint at(TextPos position) const { return view->pointOf(position) + QPoint(1, 3); }

    test::TempWorkDir dir;
    AppSettings settings;
    ScriptedNotifier messages;
    CLiDoc doc;
    std::unique_ptr<EditorEnvironment> environment;
    std::unique_ptr<CLiView> view;
};

}  // namespace quillon::test
