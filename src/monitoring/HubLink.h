// The link to the hub without its socket: what to do with each datagram that arrives,
// which display windows get it, and when to subscribe, re-subscribe and unsubscribe the
// machine feed and the monitoring feed. The UDP socket, the 1000 ms timer and the windows
// drive it through calls; it sends through the function it was given.
//
// Subscriptions have no lifetime of their own: the hub is asked again after 150 seconds
// of silence, and a feed is ended lazily, by the first datagram that comes after its last
// window closed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "monitoring/Datagrams.h"
#include "monitoring/MachineSlot.h"
#include "platform/Clock.h"

namespace quillon {

// Sends to the hub on behalf of a window; what the monitoring views and the machine
// display need of the link.
class HubRequests {
public:
    virtual ~HubRequests() = default;
    // word + identity.
    virtual void sendWord(std::string_view word) = 0;
    // word + identity + hub + port ("_UPDATE,", "_GETMON_LIST,").
    virtual void sendMachineRequest(std::string_view word, MachineSlot slot) = 0;
    virtual void sendStatus(MachineSlot slot, std::string_view status) = 0;
    virtual void sendSetup(MachineSlot slot, const SetupChange& change) = 0;
};

// A window that takes datagrams: the bytes are valid only during the call.
class DatagramReceiver {
public:
    virtual ~DatagramReceiver() = default;
    virtual void datagramArrived(std::string_view bytes) = 0;
};

// A detailed shift graph window: its machine got a new record, so its file may have grown.
class ShiftGraphReceiver {
public:
    virtual ~ShiftGraphReceiver() = default;
    virtual void machineRefreshed(MachineSlot slot) = 0;
    // The detailed view was closed (not minimized): the shift graphs opened beside it go too.
    virtual void detailedViewClosed() {}
};

// The three monitoring views; a datagram reaches them in the order each word names.
enum class MonitoringView { Detailed, Graph, TimeLine };

class HubLink final : public HubRequests {
public:
    using Send = std::function<void(std::string_view bytes)>;

    // A feed silent for longer than this is asked for again.
    static constexpr std::int64_t kResubscribeAfterSeconds = 150;
    // The machine display's first request goes out on its third tick: the counter starts
    // here and sends when it passes kMachineTicksSend, then stays at kMachineTicksHeld.
    static constexpr int kMachineTicksClosed = 18;
    static constexpr int kMachineTicksSend = 20;
    static constexpr int kMachineTicksHeld = 21;
    // A clock that reads this or less has not been set; the last good reading stands.
    static constexpr std::int64_t kLatestBadClockReading = 9999;
    static constexpr std::size_t kShiftGraphWindows = 4;

    // Addresses are 32-bit values with the first octet most significant (Ipv4Address.h).
    // hubAddress: where datagrams must come from (0: not known, any source is taken).
    // localAddress: the client's identity; with 0 nothing is sent.
    HubLink(std::int32_t hubAddress, std::int32_t localAddress, const Clock& clock, Send send);

    // One datagram from the socket: exactly the bytes that arrived, of any length.
    void datagramArrived(std::string_view bytes, std::int32_t sourceAddress);
    // The main frame's 1000 ms tick.
    void timerTick();

    void monitoringViewOpened(MonitoringView view, DatagramReceiver& receiver);
    // A detailed view closed while not minimized takes the shift graph windows with it.
    void monitoringViewClosed(MonitoringView view, bool minimized = false);
    bool anyMonitoringViewOpen() const;
    // The MQTT bridge and the shop-floor board follow the monitoring feed like views that
    // show every machine: they get the start-up lists and records after the views, in the
    // order they came, and keep the feed subscribed.
    void followerOpened(DatagramReceiver& receiver);
    void followerClosed(DatagramReceiver& receiver);
    bool monitoringFeedWanted() const { return anyMonitoringViewOpen() || !m_followers.empty(); }
    void machineDisplayOpened(DatagramReceiver& receiver);
    void machineDisplayClosed();
    // At most kShiftGraphWindows at once; false when all places are taken.
    bool shiftGraphOpened(ShiftGraphReceiver& receiver, MachineSlot slot);
    void shiftGraphClosed(ShiftGraphReceiver& receiver);

    // The time of the last tick, in seconds since 1970: records convert "seconds ago"
    // against it.
    std::int64_t now() const { return m_now; }
    bool monitoringFeedActive() const { return m_monitoringFeedActive; }
    bool machineFeedActive() const { return m_machineFeedActive; }

    void sendWord(std::string_view word) override;
    void sendMachineRequest(std::string_view word, MachineSlot slot) override;
    void sendStatus(MachineSlot slot, std::string_view status) override;
    void sendSetup(MachineSlot slot, const SetupChange& change) override;

private:
    struct ShiftGraph {
        ShiftGraphReceiver* receiver = nullptr;
        MachineSlot slot;
    };

    void refreshNow();
    void sendBytes(const std::string& bytes);
    void dispatchMonitoring(std::string_view bytes, std::string_view text);
    void forwardTo(std::initializer_list<MonitoringView> order, std::string_view bytes);
    void tellFollowers(std::string_view bytes);
    void noteMonitoringDatagram();

    std::int32_t m_hubAddress;
    std::int32_t m_localAddress;
    const Clock& m_clock;
    Send m_send;
    std::int64_t m_now = 0;

    std::array<DatagramReceiver*, 3> m_views{};
    std::vector<DatagramReceiver*> m_followers;
    DatagramReceiver* m_machineDisplay = nullptr;
    std::array<ShiftGraph, kShiftGraphWindows> m_shiftGraphs{};

    bool m_monitoringFeedActive = false;
    bool m_machineFeedActive = false;
    std::int64_t m_lastMonitoringDatagram = 0;
    std::int64_t m_lastMachineDatagram = 0;
    int m_machineTicks = kMachineTicksClosed;
};

}  // namespace quillon
