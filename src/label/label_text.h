// What the label says: the custom text, the computer name, the domain\user group and the
// primary address, composed from the display options.
#pragma once

#include "identity/identity.h"
#include "settings/settings.h"

// A scratch text.
char* compose_label_text(const Settings& settings, const IdentityInfo& identity);
