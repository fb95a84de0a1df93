// Marks a text that the programs show translated, in code that knows
// nothing of Qt: the program sees the text itself, and lupdate reads the
// mark as QT_TRANSLATE_NOOP(context, text), so that the catalogues list it.
// The one that shows the text looks it up by the same context.
#pragma once

#define TAPLINK_TEXT(context, text) text
