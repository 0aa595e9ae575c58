#include "foundation/pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace roomvale {

namespace {
constexpr qint64 kPumpIntervalMs = 15;

QElapsedTimer& lastPump() {
  static QElapsedTimer timer;
  return timer;
}
}  // namespace

void pumpEvents() {
  QElapsedTimer& timer = lastPump();
  if (timer.isValid() && timer.elapsed() < kPumpIntervalMs) return;
  pumpEventsNow();
}

void pumpEventsNow() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  lastPump().start();
}

}  // namespace roomvale
