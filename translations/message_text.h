// A message of the standard-library core in the language installed: the
// text and caption looked up in the catalogues (context "Messages"), a
// pattern's values placed into its translation. In the original language
// they are the message's own, byte for byte.
#pragma once

#include <QString>

#include "messages.h"
#include "ms_comm.h"

namespace taplink {

QString TranslatedText(const Message& message);
QString TranslatedCaption(const Message& message);

// One text of the core, as TranslatedText does for a message's.
QString TranslatedCoreText(const std::string& text);

// A refusal of the serial control.
QString TranslatedText(const CommError& error);

// What the serial control reported when the line went.
QString TranslatedLineFailure(const std::string& what);

}  // namespace taplink
