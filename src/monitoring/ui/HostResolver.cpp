#include "monitoring/ui/HostResolver.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

#include "platform/ui/Latin1.h"

namespace quillon {

HostResolver systemHostResolver()
{
    return [](const std::string& name, QObject* context,
              std::function<void(std::optional<std::int32_t>)> done) {
        if (name.find_first_not_of(" \t") == std::string::npos) {
            QTimer::singleShot(0, context, [done] { done(std::nullopt); });
            return;
        }
        QHostInfo::lookupHost(fromBytes(name), context, [done](const QHostInfo& info) {
            for (const QHostAddress& address : info.addresses()) {
                bool ok = false;
                const quint32 value = address.toIPv4Address(&ok);
                if (ok && value != 0) {
                    done(static_cast<std::int32_t>(value));
                    return;
                }
            }
            done(std::nullopt);
        });
    };
}

}  // namespace quillon
