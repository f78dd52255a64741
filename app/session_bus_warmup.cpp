#include "app/session_bus_warmup.h"

#include <QDBusConnection>
#include <QGuiApplication>

namespace odecet {

TSessionBusWarmup::TSessionBusWarmup() {
  // The platforms whose accessibility bridge speaks AT-SPI over the session bus.
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
    return;
  connector_ = std::thread([] { QDBusConnection::sessionBus(); });
}

TSessionBusWarmup::~TSessionBusWarmup() {
  if (connector_.joinable())
    connector_.join();
}

}  // namespace odecet
