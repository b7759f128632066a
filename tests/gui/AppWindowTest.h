// A started application with its main window, for tests of the window's commands.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QString>

#include "app/ui/CMainFrame.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "editor/ui/CChildFrame.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon::test {

class AppWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files,
                                                   clock.get());
        ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
        frame = app->mainFrame();
    }
    // Writes the program into the working directory and opens it.
    CChildFrame* open(const std::string& name, const std::string& bytes)
    {
        dir.write(name, bytes);
        return frame->documents().openFile(QString::fromStdString(dir.path(name)));
    }

    TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    std::unique_ptr<FixedClock> clock = std::make_unique<FixedClock>(1'765'000'000);
    std::unique_ptr<QuillonApplication> app;
    CMainFrame* frame = nullptr;
};

}  // namespace quillon::test
