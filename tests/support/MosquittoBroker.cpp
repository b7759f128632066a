// The test broker: one mosquitto process at a time, on a port kept across restarts.
#include "support/MosquittoBroker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace quillon::test {

namespace {

// A broker on an idle machine listens within a few milliseconds; a loaded CI machine may
// take much longer.
constexpr std::chrono::seconds kStartTimeout{10};
constexpr int kStartPollMs = 10;
// Another process may take the port between our look and the broker's bind.
constexpr int kStartTries = 3;

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Runs a program with arguments and waits for it; its exit status.
int runProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string currentUser()
{
    const passwd* entry = getpwuid(geteuid());
    return entry != nullptr ? entry->pw_name : "root";
}

}  // namespace

int freeLoopbackPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return 0;
    auto address = loopback(0);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(probe);
    return port;
}

BrokerPrograms BrokerPrograms::installed()
{
    return BrokerPrograms{QUILLON_MOSQUITTO_BROKER, QUILLON_MOSQUITTO_PASSWD, QUILLON_OPENSSL};
}

MosquittoBroker::MosquittoBroker(BrokerOptions options, BrokerPrograms programs)
    : m_options(std::move(options)), m_programs(std::move(programs))
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillon-broker-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_folder = pattern;
}

MosquittoBroker::~MosquittoBroker()
{
    end(SIGKILL);
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

bool MosquittoBroker::start()
{
    if (running())
        return true;
    if (m_folder.empty()) {
        m_error = "no temporary folder for the broker";
        return false;
    }
    const bool samePort = m_port != 0;
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        if (!samePort)
            m_port = freeLoopbackPort();
        if (m_port == 0 || !writeConfiguration() || !writeCertificates())
            return false;
        const std::string configuration = m_folder + "/mosquitto.conf";
        const std::vector<std::string> arguments{m_programs.broker, "-c", configuration};
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const std::string logFile = m_folder + "/output.log";

        m_pid = fork();
        if (m_pid == 0) {
            // Never outlive the test, whatever happens to it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int output = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            dup2(output, STDOUT_FILENO);
            dup2(output, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (m_pid < 0) {
            m_error = "cannot start " + m_programs.broker;
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            if (acceptsConnections())
                return true;
            poll(nullptr, 0, kStartPollMs);
        }
        if (running()) {
            end(SIGKILL);
            m_error = "the broker did not listen on port " + std::to_string(m_port);
            return false;
        }
        m_error = "the broker ended at once: " + log();
        // On the same port a retry would meet the same obstacle.
        if (samePort)
            return false;
    }
    return false;
}

void MosquittoBroker::stop()
{
    end(SIGTERM);
}

void MosquittoBroker::kill()
{
    end(SIGKILL);
}

void MosquittoBroker::end(int how)
{
    if (!running())
        return;
    ::kill(m_pid, how);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string MosquittoBroker::log() const
{
    std::ifstream in(m_folder + "/output.log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool MosquittoBroker::writeConfiguration()
{
    const bool withUser = !m_options.user.empty();
    const std::string passwords = m_folder + "/passwords";
    if (withUser && (!std::filesystem::exists(passwords) &&
                     runProgram({m_programs.passwd, "-b", "-c", passwords, m_options.user,
                                 m_options.password}) != 0)) {
        m_error = "mosquitto_passwd could not write " + passwords;
        return false;
    }
    std::ofstream out(m_folder + "/mosquitto.conf", std::ios::trunc);
    out << "listener " << m_port << ' ' << m_host << '\n'
        << "allow_anonymous " << (withUser ? "false" : "true") << '\n'
        << "persistence false\n"
        // Started as root, the broker would become the "mosquitto" user and could no longer
        // read its files in our private folder.
        << "user " << currentUser() << '\n'
        << "log_dest stderr\n"
        << "log_type error\nlog_type warning\nlog_type notice\n";
    if (withUser)
        out << "password_file " << passwords << '\n';
    if (m_options.tls)
        out << "cafile " << caFile() << '\n'
            << "certfile " << m_folder << "/server.crt\n"
            << "keyfile " << m_folder << "/server.key\n";
    out.close();
    if (!out) {
        m_error = "cannot write the broker's configuration in " + m_folder;
        return false;
    }
    return true;
}

bool MosquittoBroker::writeCertificates()
{
    if (!m_options.tls || std::filesystem::exists(m_folder + "/server.crt"))
        return true;
    const std::string folder = m_folder + "/";
    std::ofstream(folder + "server.ext") << "subjectAltName=IP:127.0.0.1\n";
    // Elliptic-curve keys: made in a few milliseconds where RSA ones take far longer.
    const std::vector<std::vector<std::string>> steps{
        {m_programs.openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt",
         "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", folder + "ca.key", "-out", caFile(),
         "-days", "2", "-subj", "/CN=QuillonLT test CA"},
        {m_programs.openssl, "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-keyout", folder + "server.key", "-out", folder + "server.csr", "-subj",
         "/CN=127.0.0.1"},
        {m_programs.openssl, "x509", "-req", "-in", folder + "server.csr", "-CA", caFile(),
         "-CAkey", folder + "ca.key", "-CAcreateserial", "-out", folder + "server.crt", "-days",
         "2", "-extfile", folder + "server.ext"},
    };
    for (const auto& step : steps) {
        if (runProgram(step) != 0) {
            m_error = "openssl could not make the broker's certificates in " + m_folder;
            return false;
        }
    }
    return true;
}

bool MosquittoBroker::acceptsConnections() const
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return false;
    const auto address = loopback(m_port);
    const bool connected =
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return connected;
}

}  // namespace quillon::test
