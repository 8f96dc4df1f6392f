#include "desktop.h"

// Qt itself tells the windows of a locale change here.
void WatchSettingsChanges() {}
