// taplink-cli journal: the journal's transfers (or machines) as aligned text
// or JSON, newest first; a transfer's document; old transfers removed.
#pragma once

#include <QStringList>
#include <ostream>

namespace taplink {

// args as the command line gives them: args[0] names the command, the rest
// are its options (see the usage text). Exit codes: 0 listed (written,
// removed), 1 bad options or a file that cannot be written, 2 the journal
// cannot be opened or read, or has no such document.
int RunJournalListing(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace taplink
