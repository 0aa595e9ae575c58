#include "foundation/clock.h"

namespace roomvale {

namespace {
std::function<QDateTime()>& clockSlot() {
  static std::function<QDateTime()> slot;
  return slot;
}
}  // namespace

QDateTime now() {
  const auto& clock = clockSlot();
  return clock ? clock() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> clock) { clockSlot() = std::move(clock); }

}  // namespace roomvale
