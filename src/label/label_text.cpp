// Placeholder until this module is built.
#include "label/label_text.h"

char* compose_label_text(const Settings&, const IdentityInfo&) { return append_text(""); }
