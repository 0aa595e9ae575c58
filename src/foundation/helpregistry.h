// Lets the application shell plug its help window into the prompt service.
#pragma once

#include <QString>

namespace roomvale {

using HelpOpener = void (*)(const QString& helpFile, int context);
HelpOpener& helpOpenerSlot();

}  // namespace roomvale
