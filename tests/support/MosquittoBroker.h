// A real MQTT broker for tests: Debian's mosquitto on a loopback port of its own, started
// from a generated configuration, that a test can stop and start again on the same port.
#pragma once

#include <sys/types.h>

#include <string>

namespace quillon::test {

struct BrokerPrograms {
    std::string broker;
    std::string passwd;   // mosquitto_passwd, for a broker with a password
    std::string openssl;  // for a broker that speaks TLS
    // As CMake found them for the test executable (QUILLON_MOSQUITTO_BROKER, ...).
    static BrokerPrograms installed();
};
struct BrokerOptions {
    // Not empty: only this user, with this password, may connect.
    std::string user;
    std::string password;
    // TLS only, with a certificate for 127.0.0.1 signed by a CA of its own (caFile()).
    bool tls = false;
};

class MosquittoBroker {
public:
    explicit MosquittoBroker(BrokerOptions options = {},
                             BrokerPrograms programs = BrokerPrograms::installed());
    // Kills the broker if it still runs and removes its folder.
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // Starts the broker (on a free port the first time, on the same port after that) and
    // waits until it takes connections. False, with the reason in error(), when it did not.
    bool start();
    // Ends it with SIGTERM and waits for it to go.
    void stop();
    // Ends it with SIGKILL: its clients see their connections drop.
    void kill();
    bool running() const { return m_pid > 0; }

    const std::string& host() const { return m_host; }
    int port() const { return m_port; }
    const std::string& error() const { return m_error; }
    // The certificate of the CA that signed a TLS broker's certificate.
    std::string caFile() const { return m_folder + "/ca.crt"; }
    // What the broker wrote to its log, for a failing test's message.
    std::string log() const;

private:
    bool writeConfiguration();
    bool writeCertificates();
    bool acceptsConnections() const;
    void end(int how);

    BrokerOptions m_options;
    BrokerPrograms m_programs;
    std::string m_folder;
    std::string m_host = "127.0.0.1";
    int m_port = 0;
    pid_t m_pid = -1;
    std::string m_error;
};

// A loopback TCP port nobody listens on at the moment.
int freeLoopbackPort();

}  // namespace quillon::test
