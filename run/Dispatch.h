#pragma once
// The last act of a run whose archive passed the check: upload and notice, or the
// archive by e-mail, and the one message that says whether the transfer succeeded.
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <string>

namespace qx {

// The name of the uploaded archive: tax number + ID + ".zip".
std::string RemoteArchiveName(const Session& session);

void Dispatch(Session& session, OperatorInterface& ui, const std::string& archivePath);

} // namespace qx
