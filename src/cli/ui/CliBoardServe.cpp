#include "cli/ui/CliBoardServe.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <optional>
#include <ostream>

#include "board/BoardModel.h"
#include "board/ui/BoardServer.h"
#include "bridge/BridgeSettings.h"
#include "cli/CliHubLink.h"
#include "cli/ui/CliSession.h"
#include "monitoring/Datagrams.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/StatusTable.h"
#include "platform/Ipv4Address.h"
#include "platform/WorkDir.h"
#include "platform/ui/TerminationSignals.h"

namespace quillon::cli {

int serveBoard(const ServeRequest& request, std::ostream& out, std::ostream& err)
{
    const auto session = headlessSession();
    const WorkDir workDir = WorkDir::fromEnvironment();
    const RemoteConfig remote = readRemoteConfig(workDir);
    auto open = openLink(workDir, err);
    if (!open)
        return 1;

    BoardOptions options;
    if (!request.title.empty())
        options.title = request.title;
    BoardModel board(readMonitorList(workDir), readStatusTable(remote.hubDirectory),
                     bridgeMachines(workDir), *open->link, open->clock, std::move(options));
    BoardServer server(board);
    QString error;
    const QString address = QString::fromStdString(request.address);
    if (!server.listen(QHostAddress(address), request.port, error)) {
        err << "Cannot serve on " << request.address << ':' << request.port << ": "
            << error.toStdString() << '\n';
        return 1;
    }
    board.start();
    open->link->followerOpened(board.receiver());
    err << "Following the hub at " << ipv4ToDottedText(open->hub) << '\n';
    out << "Serving the board on http://" << request.address << ':' << server.port() << "/\n"
        << std::flush;

    // Datagrams as they come, so that a change is on the page within the frame it took
    // to arrive; the link's and the board's one-second work on a timer.
    QSocketNotifier datagrams(open->socket->descriptor(), QSocketNotifier::Read);
    QObject::connect(&datagrams, &QSocketNotifier::activated, [&] {
        while (auto datagram = open->socket->receive())
            open->link->datagramArrived(datagram->bytes, datagram->sourceAddress);
    });
    // The end is looked at on the tick: a QTimer counts in int milliseconds, less than the
    // year --seconds allows.
    using Steady = std::chrono::steady_clock;
    const auto end = request.seconds
                         ? std::optional(Steady::now() + std::chrono::seconds(*request.seconds))
                         : std::nullopt;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        open->link->timerTick();
        board.tick();
        if (end && Steady::now() >= *end)
            QCoreApplication::quit();
    });
    tick.start(kTickMs);

    TerminationSignals stopSignals;
    QObject::connect(&stopSignals, &TerminationSignals::received,
                     [] { QCoreApplication::quit(); });
    QCoreApplication::exec();

    open->link->followerClosed(board.receiver());
    open->link->sendWord(kRemoteDisconnectWord);
    err << "Board server stopped\n";
    return 0;
}

}  // namespace quillon::cli
