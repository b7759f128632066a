#include "monitoring/HubLink.h"

#include <algorithm>
#include <utility>

#include "monitoring/IncomingDatagrams.h"

namespace quillon {

namespace {

// The link takes any datagram that names the start-up anywhere; the views want all of
// "_INI:@" at the start.
constexpr std::string_view kStartupMark = "_INI:";

bool contains(std::string_view text, std::string_view word)
{
    return text.find(word) != std::string_view::npos;
}

std::size_t viewIndex(MonitoringView view)
{
    return static_cast<std::size_t>(view);
}

}  // namespace

HubLink::HubLink(std::int32_t hubAddress, std::int32_t localAddress, const Clock& clock, Send send)
    : m_hubAddress(hubAddress),
      m_localAddress(localAddress),
      m_clock(clock),
      m_send(std::move(send))
{
    refreshNow();
    m_lastMonitoringDatagram = m_now;
    m_lastMachineDatagram = m_now;
}

void HubLink::refreshNow()
{
    const std::int64_t reading = m_clock.now();
    if (reading > kLatestBadClockReading)
        m_now = reading;
}

// ---- receiving --------------------------------------------------------------------------

void HubLink::datagramArrived(std::string_view bytes, std::int32_t sourceAddress)
{
    // Anyone on the network can send to our port; only the hub may feed the windows or
    // make us end a subscription.
    if (m_hubAddress != 0 && sourceAddress != m_hubAddress)
        return;
    // The words are looked for in the text; the machine feed's raw bytes after its word
    // may hold NULs and are handed on whole.
    const std::string_view text = datagramText(bytes);

    if (monitoringFeedWanted())
        dispatchMonitoring(bytes, text);

    // The last monitoring view has closed: the first datagram after it ends that feed.
    // The datagram may still be the machine display's, so it goes on to the machine feed.
    if (m_monitoringFeedActive && !monitoringFeedWanted()) {
        m_monitoringFeedActive = false;
        sendWord(kRemoteDisconnectWord);
    }

    if (m_machineDisplay != nullptr) {
        if (contains(text, kMachineNamesWord) || contains(text, kMachineStatesWord)) {
            m_machineFeedActive = true;
            m_lastMachineDatagram = m_now;
            m_machineDisplay->datagramArrived(bytes);
        }
        return;
    }
    if (m_machineFeedActive) {
        m_machineFeedActive = false;
        sendWord(kMachineDisconnectWord);
    }
}

void HubLink::dispatchMonitoring(std::string_view bytes, std::string_view text)
{
    const std::size_t record = text.find(kRecordWord);
    if (record != std::string_view::npos) {
        noteMonitoringDatagram();
        forwardTo({MonitoringView::TimeLine, MonitoringView::Detailed, MonitoringView::Graph},
                  bytes);
        tellFollowers(bytes);
        const auto slot = recordSlot(text.substr(record + kRecordWord.size()));
        if (!slot)
            return;
        // A window may close itself while it is told, so each place is read afresh.
        for (std::size_t i = 0; i < m_shiftGraphs.size(); ++i) {
            const ShiftGraph graph = m_shiftGraphs[i];
            if (graph.receiver != nullptr && graph.slot == *slot)
                graph.receiver->machineRefreshed(*slot);
        }
    } else if (contains(text, kStartupMark)) {
        noteMonitoringDatagram();
        forwardTo({MonitoringView::Detailed, MonitoringView::TimeLine, MonitoringView::Graph},
                  bytes);
        tellFollowers(bytes);
    } else if (contains(text, kStatusListWord)) {
        noteMonitoringDatagram();
        forwardTo({MonitoringView::Detailed}, bytes);
    }
}

void HubLink::forwardTo(std::initializer_list<MonitoringView> order, std::string_view bytes)
{
    for (const MonitoringView view : order) {
        if (DatagramReceiver* receiver = m_views[viewIndex(view)])
            receiver->datagramArrived(bytes);
    }
}

void HubLink::noteMonitoringDatagram()
{
    m_monitoringFeedActive = true;
    m_lastMonitoringDatagram = m_now;
}

// ---- the timer ------------------------------------------------------------------------

void HubLink::timerTick()
{
    refreshNow();
    if (m_machineDisplay != nullptr) {
        if (m_machineTicks == kMachineTicksSend)
            sendWord(kMachineViewWord);
        m_machineTicks = std::min(m_machineTicks + 1, kMachineTicksHeld);
    }

    if (monitoringFeedWanted()) {
        if (m_now - m_lastMonitoringDatagram > kResubscribeAfterSeconds) {
            sendWord(kRemoteViewWord);
            m_lastMonitoringDatagram = m_now;
            return;
        }
    } else {
        m_lastMonitoringDatagram = m_now;
    }

    if (m_machineDisplay == nullptr) {
        m_lastMachineDatagram = m_now;
    } else if (m_now - m_lastMachineDatagram > kResubscribeAfterSeconds) {
        sendWord(kMachineViewWord);
        m_lastMachineDatagram = m_now;
    }
}

// ---- windows --------------------------------------------------------------------------

void HubLink::monitoringViewOpened(MonitoringView view, DatagramReceiver& receiver)
{
    m_views[viewIndex(view)] = &receiver;
}

void HubLink::monitoringViewClosed(MonitoringView view, bool minimized)
{
    m_views[viewIndex(view)] = nullptr;
    if (view != MonitoringView::Detailed || minimized)
        return;
    // A window that closes lets go of its place here: tell a copy of the list.
    const auto graphs = m_shiftGraphs;
    for (const ShiftGraph& graph : graphs) {
        if (graph.receiver)
            graph.receiver->detailedViewClosed();
    }
}

bool HubLink::anyMonitoringViewOpen() const
{
    return std::any_of(m_views.begin(), m_views.end(),
                       [](const DatagramReceiver* view) { return view != nullptr; });
}

void HubLink::followerOpened(DatagramReceiver& receiver)
{
    if (std::find(m_followers.begin(), m_followers.end(), &receiver) == m_followers.end())
        m_followers.push_back(&receiver);
}

void HubLink::followerClosed(DatagramReceiver& receiver)
{
    std::erase(m_followers, &receiver);
}

void HubLink::tellFollowers(std::string_view bytes)
{
    // A follower may leave while it is told: the list is read from a copy.
    const auto followers = m_followers;
    for (DatagramReceiver* follower : followers) {
        if (std::find(m_followers.begin(), m_followers.end(), follower) != m_followers.end())
            follower->datagramArrived(bytes);
    }
}

void HubLink::machineDisplayOpened(DatagramReceiver& receiver)
{
    m_machineDisplay = &receiver;
}

void HubLink::machineDisplayClosed()
{
    m_machineDisplay = nullptr;
    m_machineTicks = kMachineTicksClosed;
}

bool HubLink::shiftGraphOpened(ShiftGraphReceiver& receiver, MachineSlot slot)
{
    auto place =
        std::find_if(m_shiftGraphs.begin(), m_shiftGraphs.end(),
                     [&](const ShiftGraph& graph) { return graph.receiver == &receiver; });
    if (place == m_shiftGraphs.end())
        place = std::find_if(m_shiftGraphs.begin(), m_shiftGraphs.end(),
                             [](const ShiftGraph& graph) { return graph.receiver == nullptr; });
    if (place == m_shiftGraphs.end())
        return false;
    *place = {&receiver, slot};
    return true;
}

void HubLink::shiftGraphClosed(ShiftGraphReceiver& receiver)
{
    for (ShiftGraph& graph : m_shiftGraphs) {
        if (graph.receiver == &receiver)
            graph = {};
    }
}

// ---- sending --------------------------------------------------------------------------

void HubLink::sendBytes(const std::string& bytes)
{
    // Without a local address the hub could not tell who asks.
    if (m_send && m_localAddress != 0)
        m_send(bytes);
}

void HubLink::sendWord(std::string_view word)
{
    sendBytes(wordDatagram(word, m_localAddress));
}

void HubLink::sendMachineRequest(std::string_view word, MachineSlot slot)
{
    sendBytes(machineRequestDatagram(word, m_localAddress, slot));
}

void HubLink::sendStatus(MachineSlot slot, std::string_view status)
{
    sendBytes(setStatusDatagram(m_localAddress, slot, status));
}

void HubLink::sendSetup(MachineSlot slot, const SetupChange& change)
{
    sendBytes(setupDatagram(m_localAddress, slot, change));
}

}  // namespace quillon
