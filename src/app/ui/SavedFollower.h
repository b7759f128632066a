// What the program's own followers of the hub link (the MQTT bridge, the shop-floor board)
// do alike with their saved settings: a dialog's OK saves them and starts, restarts or stops
// the follower at once; settings saved as switched on start it once the link is bound; a
// failure is told once and not tried again at every tick.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/ui/QuillonApplication.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/AtomicFile.h"
#include "platform/Notifier.h"

namespace quillon {

template <typename Settings>
class SavedFollower {
public:
    struct Parts {
        std::string_view name;      // "The MQTT bridge", as messages begin
        std::string_view fileName;  // the settings file, for a failure to save it
        Settings (*read)(const WorkDir&);
        WriteResult (*write)(const WorkDir&, const Settings&);
        // Starts the follower over the link in place of a running one; false with the
        // user's text in `error`.
        std::function<bool(const Settings&, HubLink&, std::string& error)> start;
        std::function<void()> stop;
        std::function<bool()> running;
    };

    SavedFollower(QuillonApplication& app, Parts parts) : m_app(app), m_parts(std::move(parts)) {}

    // The dialog's OK: saves the settings and brings the follower in line with them.
    void keep(const Settings& chosen)
    {
        const WriteResult written = m_parts.write(m_app.workDir(), chosen);
        if (!written.ok) {
            m_app.notifier().error("Could not save " + std::string(m_parts.fileName) + ": " +
                                   written.error);
            return;
        }
        // What was saved decides from now on.
        m_startPending = false;
        if (!chosen.enabled) {
            m_parts.stop();
            return;
        }
        if (!m_app.hubChannel()) {
            // The link is bound at start-up only, but may still be on its way (the hub's
            // name being looked up): the follower then starts with it.
            m_startPending = true;
            m_app.notifier().message(std::string(m_parts.name) +
                                     " was saved but cannot run: " + std::string(kNoLinkText));
            return;
        }
        start(chosen);
    }

    // The main timer: settings saved as switched on start the follower once the hub link is
    // there. Once it has started or failed for a reason other than the missing link, this
    // waits no more.
    void tick()
    {
        if (!m_startPending || !m_app.hubChannel())
            return;
        m_startPending = false;
        const Settings saved = m_parts.read(m_app.workDir());
        if (saved.enabled)
            start(saved);
    }

    // Before the program ends.
    void stop()
    {
        m_startPending = false;
        m_parts.stop();
    }

private:
    // Starts the follower, or restarts it when the settings changed; a failure is told.
    void start(const Settings& settings)
    {
        if (m_parts.running() && settings == m_running)
            return;
        std::string error;
        if (m_parts.start(settings, m_app.hubChannel()->link(), error))
            m_running = settings;
        else
            m_app.notifier().message(error);
    }

    QuillonApplication& m_app;
    Parts m_parts;
    bool m_startPending = true;
    // What the running follower started with: OK over the same settings leaves it alone.
    Settings m_running;
};

}  // namespace quillon
