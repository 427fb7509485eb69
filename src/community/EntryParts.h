// The two halves of an entry's run (FileCleaning.cpp, RegistryCleaning.cpp).
#pragma once

#include "cleaner/CleanerSteps.h"
#include "community/Definitions.h"
#include "community/EntryCleaner.h"

namespace community {

void CleanFiles(const Entry& entry, RunContext& context, cleaner::CleanerSteps& run);
void CleanRegistry(const Entry& entry, cleaner::CleanerSteps& run);

}  // namespace community
