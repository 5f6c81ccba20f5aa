#pragma once

#include "toolkit/ResourceBundle.h"

// Makes the editor's bitmaps (resources 131, 135, 137 and 138, drawn at
// build time) available to the toolkit's resource lookup. Cheap and
// idempotent: call it before the first bitmap is loaded.
void installEditorBitmaps();
