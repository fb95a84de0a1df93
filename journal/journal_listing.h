// taplink-cli journal: the journal's transfers (or machines) as aligned text
// or JSON, newest first.
#pragma once

#include <QStringList>
#include <ostream>

namespace taplink {

// args as the command line gives them: args[0] names the command, the rest
// are its options (see the usage text). Exit codes: 0 listed, 1 bad options,
// 2 the journal cannot be opened or read.
int RunJournalListing(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace taplink
