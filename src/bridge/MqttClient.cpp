// The publishing MQTT client: connection states, the reconnection back-off and the queue.
#include "bridge/MqttClient.h"

#include <mosquitto.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <system_error>
#include <utility>

#include "bridge/MqttLoop.h"

namespace quillon {

namespace {

using std::chrono::steady_clock;

// The DISCONNECT that spares us the will is one small packet; a broker that cannot take it
// within this time is not worth holding up the program's exit for.
constexpr std::chrono::milliseconds kGoodbyeTimeout{1000};

// libmosquitto takes no shorter keep-alive, and MQTT carries it in 16 bits.
constexpr int kShortestKeepAlive = 5;
constexpr int kLongestKeepAlive = 65535;

void initialiseLibrary()
{
    // The library wants this once per process, before the first client.
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)initialised;
}

std::string defaultClientId()
{
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) != 0 || host[0] == '\0')
        std::string("localhost").copy(host.data(), host.size() - 1);
    return "quillonlt-" + std::string(host.data()) + "-" + std::to_string(getpid());
}

// The library's and the system's texts are sentences ("The connection was lost."); ours
// carry them after a colon ("... went away: the connection was lost").
std::string asClause(std::string text)
{
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    const bool acronym = text.size() > 1 && std::isupper(static_cast<unsigned char>(text[1]));
    if (!text.empty() && !acronym)
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::string libraryError(int code, int savedErrno)
{
    if (code == MOSQ_ERR_ERRNO)
        return asClause(std::generic_category().message(savedErrno));
    return asClause(mosquitto_strerror(code));
}

// The CONNACK return codes of MQTT 3.1.1.
std::string refusalReason(int code)
{
    switch (code) {
    case 1:
        return "the protocol version is not accepted";
    case 2:
        return "the client id is not accepted";
    case 3:
        return "the server is unavailable";
    case 4:
        return "bad user name or password";
    case 5:
        return "not authorised";
    default:
        return "code " + std::to_string(code);
    }
}

// Errors that say the message itself can never go, whatever the connection does.
bool refusesMessage(int code)
{
    return code == MOSQ_ERR_INVAL || code == MOSQ_ERR_PAYLOAD_SIZE ||
           code == MOSQ_ERR_MALFORMED_UTF8 || code == MOSQ_ERR_QOS_NOT_SUPPORTED ||
           code == MOSQ_ERR_OVERSIZE_PACKET;
}

bool validTopic(const std::string& topic)
{
    return !topic.empty() && mosquitto_pub_topic_check(topic.c_str()) == MOSQ_ERR_SUCCESS &&
           mosquitto_validate_utf8(topic.c_str(), static_cast<int>(topic.size())) ==
               MOSQ_ERR_SUCCESS;
}

std::optional<int> parsePort(std::string_view text)
{
    int port = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc() || stop != end || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

}  // namespace

std::optional<MqttBroker> parseMqttBroker(std::string_view text)
{
    MqttBroker broker;
    std::string_view portText;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        broker.host = text.substr(1, close - 1);
        const auto rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            portText = rest.substr(1);
            if (portText.empty())
                return std::nullopt;
        }
    } else if (const auto colon = text.find(':');
               colon != std::string_view::npos && text.find(':', colon + 1) == text.npos) {
        broker.host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (portText.empty())
            return std::nullopt;
    } else {
        // A bare IPv6 address has colons of its own and no room for a port.
        broker.host = text;
    }
    if (broker.host.empty())
        return std::nullopt;
    if (!portText.empty()) {
        const auto port = parsePort(portText);
        if (!port)
            return std::nullopt;
        broker.port = *port;
    }
    return broker;
}

MqttClient::MqttClient(MqttSettings settings, const SteadyClock& clock, std::size_t queueLimit,
                       Log log)
    : m_settings(std::move(settings)),
      m_clock(clock),
      m_queueLimit(queueLimit),
      m_log(std::move(log))
{
    initialiseLibrary();
    if (m_settings.clientId.empty())
        m_settings.clientId = defaultClientId();
}

MqttClient::~MqttClient()
{
    if (m_handle != nullptr && m_state == MqttState::Connected &&
        mosquitto_disconnect(m_handle) == MOSQ_ERR_SUCCESS) {
        // The DISCONNECT waits behind whatever the library still has to write.
        const auto deadline = steady_clock::now() + kGoodbyeTimeout;
        while (mosquitto_socket(m_handle) >= 0 && mosquitto_want_write(m_handle)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - steady_clock::now());
            pollfd entry{mosquitto_socket(m_handle), POLLOUT, 0};
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0)
                break;
            mosquitto_loop_write(m_handle, 1);
        }
    }
    dropHandle();
}

void MqttClient::setWill(MqttMessage will)
{
    m_will = std::move(will);
}

void MqttClient::setGreeting(MqttMessage greeting)
{
    m_greeting = std::move(greeting);
}

void MqttClient::setConnectHandler(std::function<void()> handler)
{
    m_connectHandler = std::move(handler);
}

bool MqttClient::start()
{
    if (m_state != MqttState::Idle)
        return true;
    // The library refuses other values at every attempt, which would retry forever.
    const int keepAlive = m_settings.keepAliveSeconds;
    if (keepAlive != 0 && (keepAlive < kShortestKeepAlive || keepAlive > kLongestKeepAlive)) {
        m_lastError = "the keep-alive must be 0 (none) or " + std::to_string(kShortestKeepAlive) +
                      " to " + std::to_string(kLongestKeepAlive) + " s";
        return false;
    }
    // A handle made here only to learn whether the settings can work at all; every attempt
    // makes its own.
    if (!makeHandle())
        return false;
    attemptConnection();
    return true;
}

void MqttClient::publish(MqttMessage message)
{
    if (!validTopic(message.topic)) {
        say("not published: \"" + message.topic + "\" is not a topic one can publish to");
        return;
    }
    if (m_state == MqttState::Connected && handOver(message, false))
        return;
    enqueue(std::move(message));
}

int MqttClient::socket() const
{
    return m_handle != nullptr ? mosquitto_socket(m_handle) : -1;
}

bool MqttClient::wantsWrite() const
{
    return m_handle != nullptr && mosquitto_want_write(m_handle);
}

void MqttClient::readable()
{
    if (m_handle == nullptr)
        return;
    if (const int code = mosquitto_loop_read(m_handle, 1); code != MOSQ_ERR_SUCCESS)
        noteConnectionEnd(code);
    settle();
}

void MqttClient::writable()
{
    if (m_handle == nullptr)
        return;
    if (const int code = mosquitto_loop_write(m_handle, 1); code != MOSQ_ERR_SUCCESS)
        noteConnectionEnd(code);
    settle();
}

void MqttClient::tick()
{
    const auto now = m_clock.now();
    switch (m_state) {
    case MqttState::Idle:
        return;
    case MqttState::WaitingToReconnect:
        if (now >= m_nextAttempt)
            attemptConnection();
        return;
    case MqttState::Connecting:
        if (now - m_attemptStarted >= kConnectTimeout)
            attemptFailed("broker " + brokerName() + " did not answer within " +
                          std::to_string(kConnectTimeout.count()) + " s");
        return;
    case MqttState::Connected:
        // Sends the keep-alive ping when due, and notices a broker that stopped answering it.
        if (const int code = mosquitto_loop_misc(m_handle); code != MOSQ_ERR_SUCCESS)
            noteConnectionEnd(code);
        settle();
        return;
    }
}

bool MqttClient::flush(std::chrono::milliseconds timeout)
{
    const auto allOut = [this] {
        return m_state == MqttState::Connected && m_sent.empty() && m_queue.empty() &&
               !wantsWrite();
    };
    runMqttLoop(*this, timeout, [&] {
        return allOut() || m_state == MqttState::WaitingToReconnect || m_state == MqttState::Idle;
    });
    return allOut();
}

std::size_t MqttClient::unacknowledged() const
{
    return m_sent.size();
}

std::optional<std::chrono::steady_clock::time_point> MqttClient::nextAttempt() const
{
    if (m_state != MqttState::WaitingToReconnect)
        return std::nullopt;
    return m_nextAttempt;
}

// ---- the library handle --------------------------------------------------------------

bool MqttClient::makeHandle()
{
    dropHandle();
    m_handle = mosquitto_new(m_settings.clientId.c_str(), true, this);
    if (m_handle == nullptr) {
        m_lastError =
            "the MQTT library cannot make a client: " + std::generic_category().message(errno);
        return false;
    }
    mosquitto_int_option(m_handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_handle, &MqttClient::connectCallback);
    mosquitto_disconnect_callback_set(m_handle, &MqttClient::disconnectCallback);
    mosquitto_publish_callback_set(m_handle, &MqttClient::publishCallback);

    int code = MOSQ_ERR_SUCCESS;
    if (!m_settings.user.empty())
        code = mosquitto_username_pw_set(
            m_handle, m_settings.user.c_str(),
            m_settings.password.empty() ? nullptr : m_settings.password.c_str());
    if (code == MOSQ_ERR_SUCCESS && m_will)
        code = mosquitto_will_set(m_handle, m_will->topic.c_str(),
                                  static_cast<int>(m_will->payload.size()), m_will->payload.data(),
                                  m_will->qos, m_will->retain);
    if (code != MOSQ_ERR_SUCCESS) {
        m_lastError = "the MQTT library refuses the settings: " + libraryError(code, errno);
        dropHandle();
        return false;
    }
    if (!m_settings.tlsCaFile.empty()) {
        code = mosquitto_tls_set(m_handle, m_settings.tlsCaFile.c_str(), nullptr, nullptr, nullptr,
                                 nullptr);
        if (code != MOSQ_ERR_SUCCESS) {
            m_lastError = "cannot use the CA file " + m_settings.tlsCaFile + ": " +
                          (code == MOSQ_ERR_INVAL ? std::string("it cannot be read")
                                                  : libraryError(code, errno));
            dropHandle();
            return false;
        }
    }
    return true;
}

void MqttClient::dropHandle()
{
    if (m_handle != nullptr)
        mosquitto_destroy(m_handle);  // closes the socket without a word: the broker's will
    m_handle = nullptr;
    // Whatever the old handle's callbacks noted is about a connection that is gone.
    m_connackCode.reset();
    m_disconnectCode.reset();
}

void MqttClient::attemptConnection()
{
    if (!makeHandle()) {
        attemptFailed(m_lastError);
        return;
    }
    m_state = MqttState::Connecting;
    m_attemptStarted = m_clock.now();
    const int code = mosquitto_connect_async(m_handle, m_settings.host.c_str(), m_settings.port,
                                             m_settings.keepAliveSeconds);
    if (code != MOSQ_ERR_SUCCESS)
        attemptFailed("cannot reach broker " + brokerName() + ": " + libraryError(code, errno));
}

// ---- what the callbacks noted ------------------------------------------------------------

void MqttClient::connectCallback(mosquitto*, void* self, int code)
{
    static_cast<MqttClient*>(self)->m_connackCode = code;
}

void MqttClient::disconnectCallback(mosquitto*, void* self, int code)
{
    static_cast<MqttClient*>(self)->noteConnectionEnd(code);
}

// The first word on why a connection ended is the one worth keeping: a failed call that
// follows the callback only repeats it, and one that did not get as far as the callback
// still ends the connection.
void MqttClient::noteConnectionEnd(int code)
{
    if (!m_disconnectCode) {
        m_disconnectCode = code;
        m_disconnectErrno = errno;
    }
}

void MqttClient::publishCallback(mosquitto*, void* self, int mid)
{
    auto& sent = static_cast<MqttClient*>(self)->m_sent;
    const auto found =
        std::find_if(sent.begin(), sent.end(), [mid](const Sent& s) { return s.mid == mid; });
    if (found != sent.end())
        sent.erase(found);
}

// The callbacks fire inside the library's own calls, where the handle must not be dropped;
// so they only take notes, and this acts on them once the call returned.
void MqttClient::settle()
{
    if (const auto connack = std::exchange(m_connackCode, std::nullopt)) {
        if (*connack != 0) {
            attemptFailed("broker " + brokerName() +
                          " refused the connection: " + refusalReason(*connack));
            return;
        }
        connectionMade();
    }
    if (const auto code = std::exchange(m_disconnectCode, std::nullopt)) {
        const auto reason = *code == MOSQ_ERR_SUCCESS ? std::string("it closed the connection")
                                                      : libraryError(*code, m_disconnectErrno);
        connectionEnded(reason);
    }
}

// ---- connection states ------------------------------------------------------------------

void MqttClient::connectionMade()
{
    const auto now = m_clock.now();
    // Still not connected: what the handler publishes is queued.
    if (m_connectHandler)
        m_connectHandler();
    m_state = MqttState::Connected;
    m_retryDelay = kFirstRetry;
    m_lastError.clear();
    m_lastFailureSaid.clear();
    const auto dropped = m_dropped - m_droppedTold;
    m_droppedTold = m_dropped;
    const auto droppedText = std::to_string(dropped) + (dropped == 1 ? " message" : " messages");
    if (m_lostAt) {
        const auto away = std::chrono::duration_cast<std::chrono::seconds>(now - *m_lostAt);
        say("back at " + brokerName() + " after " + std::to_string(away.count()) + " s; " +
            droppedText + " dropped while away");
    } else {
        say("connected to " + brokerName() +
            (dropped > 0 ? "; " + droppedText + " dropped before" : std::string()));
    }
    m_lostAt.reset();

    if (m_greeting && !handOver(*m_greeting, true))
        return;
    // Taken off the queue only once the library has it: a failure puts what was in flight
    // back in front of it, and the order holds.
    while (m_state == MqttState::Connected && !m_queue.empty()) {
        if (!handOver(m_queue.front(), false))
            return;
        if (m_queue.front().retain)
            m_retainedQueued.erase(m_queue.front().topic);
        m_queue.pop_front();
    }
}

void MqttClient::connectionEnded(const std::string& reason)
{
    if (m_state != MqttState::Connected) {
        attemptFailed("cannot reach broker " + brokerName() + ": " + reason);
        return;
    }
    dropHandle();
    m_lostAt = m_clock.now();
    putBackUnacknowledged();
    m_lastError = "broker " + brokerName() + " went away: " + reason;
    say(m_lastError);
    waitBeforeRetry();
}

void MqttClient::attemptFailed(const std::string& why)
{
    dropHandle();
    putBackUnacknowledged();
    m_lastError = why;
    // Once per kind of failure: a broker that stays away for hours must not fill the log.
    if (why != m_lastFailureSaid) {
        say(why);
        m_lastFailureSaid = why;
    }
    waitBeforeRetry();
}

void MqttClient::waitBeforeRetry()
{
    m_state = MqttState::WaitingToReconnect;
    m_nextAttempt = m_clock.now() + m_retryDelay;
    m_retryDelay = std::min(m_retryDelay * 2, kLongestRetry);
}

// ---- messages ---------------------------------------------------------------------------

bool MqttClient::handOver(const MqttMessage& message, bool greeting)
{
    int mid = 0;
    const int code = mosquitto_publish(m_handle, &mid, message.topic.c_str(),
                                       static_cast<int>(message.payload.size()),
                                       message.payload.data(), message.qos, message.retain);
    if (code == MOSQ_ERR_SUCCESS) {
        // A QoS 0 message is done once written, which may already have happened.
        if (message.qos > 0)
            m_sent.push_back(Sent{mid, message, greeting});
        return true;
    }
    if (refusesMessage(code)) {
        say("not published to " + message.topic + ": " + libraryError(code, errno));
        return true;
    }
    // The connection broke under us before the library told it: what it took stays with the
    // handle that is dropped now, so the caller keeps the message.
    connectionEnded(libraryError(code, errno));
    return false;
}

void MqttClient::enqueue(MqttMessage message)
{
    if (message.retain) {
        // Moved to the end rather than updated in place: a state never overtakes the events
        // that led to it.
        if (const auto found = m_retainedQueued.find(message.topic);
            found != m_retainedQueued.end()) {
            m_queue.erase(found->second);
            m_retainedQueued.erase(found);
        } else if (!makeRoom()) {
            return;
        }
        m_queue.push_back(std::move(message));
        m_retainedQueued.emplace(m_queue.back().topic, std::prev(m_queue.end()));
        return;
    }
    if (makeRoom())
        m_queue.push_back(std::move(message));
}

bool MqttClient::makeRoom()
{
    if (m_queueLimit == 0) {
        ++m_dropped;
        return false;
    }
    while (m_queue.size() >= m_queueLimit)
        dropOne();
    return true;
}

void MqttClient::dropOne()
{
    // Events are worth less than states: a state stands for everything before it.
    auto victim = std::find_if(m_queue.begin(), m_queue.end(),
                               [](const MqttMessage& m) { return !m.retain; });
    if (victim == m_queue.end())
        victim = m_queue.begin();
    if (victim->retain)
        m_retainedQueued.erase(victim->topic);
    m_queue.erase(victim);
    ++m_dropped;
}

void MqttClient::putBackUnacknowledged()
{
    // These are older than anything queued, so they go in front, in the order they were
    // sent; a state of which a newer one is already queued is simply superseded.
    for (auto sent = m_sent.rbegin(); sent != m_sent.rend(); ++sent) {
        if (sent->greeting)
            continue;
        auto& message = sent->message;
        if (message.retain) {
            if (m_retainedQueued.contains(message.topic))
                continue;
            m_queue.push_front(std::move(message));
            m_retainedQueued.emplace(m_queue.front().topic, m_queue.begin());
        } else {
            m_queue.push_front(std::move(message));
        }
    }
    m_sent.clear();
    while (m_queue.size() > m_queueLimit)
        dropOne();
}

void MqttClient::say(const std::string& line) const
{
    if (m_log)
        m_log(line);
}

std::string MqttClient::brokerName() const
{
    const bool v6 = m_settings.host.find(':') != std::string::npos;
    return (v6 ? "[" + m_settings.host + "]" : m_settings.host) + ":" +
           std::to_string(m_settings.port);
}

}  // namespace quillon
