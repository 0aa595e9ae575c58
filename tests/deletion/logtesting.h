// Fixture for the totals and log tests: an empty settings store, no log file (and no kept
// damaged logs), the program's log reloaded fresh, scripted prompts and a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <cstdio>

#include "common/testing.h"
#include "deletion/deletionlog.h"
#include "foundation/settings.h"
#include "platform/paths.h"

namespace roomvale::testing {

// No totals in the settings store, no log file (nor kept damaged logs), the log reloaded.
inline void resetTotalsAndLog() {
  std::remove(iniFileForKey(getRegistryKey()).c_str());
  QDir data(platform::toDisplay(platform::userDataFolder()));
  for (const QString& name : data.entryList({QStringLiteral("grdelete.txt*")}, QDir::Files | QDir::Hidden))
    data.remove(name);
  loadDeletionLog();
}

class LogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    resetTotalsAndLog();
    prompts.clear();
  }

  // Names in the data folder that hold a kept damaged log.
  QStringList damagedLogs() const {
    QDir data(platform::toDisplay(platform::userDataFolder()));
    return data.entryList({QStringLiteral("grdelete.txt.damaged-*")}, QDir::Files);
  }

  ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2024, 3, 15), QTime(14, 5, 30))};
};

}  // namespace roomvale::testing
