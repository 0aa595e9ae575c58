// "Now" for the whole program, replaceable so that dates, archive names and log stamps
// can be tested.
#pragma once

#include <QDateTime>
#include <functional>

namespace roomvale {

QDateTime now();
// Replaces the clock (tests); an empty function restores the system clock.
void setClock(std::function<QDateTime()> clock);

}  // namespace roomvale
