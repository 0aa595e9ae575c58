#include "app/application.h"

#include <QApplication>

namespace roomvale {

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Roomvale"));
  return 0;
}

}  // namespace roomvale
