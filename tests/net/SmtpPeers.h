#pragma once
// SMTP peers for the tests: the real server (aiosmtpd) with the options a case needs, and a
// scripted peer for faults. Both print one line per event after "READY <port>".
#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace qx::test {

// aiosmtpd on 127.0.0.1 with a certificate of its own; `options` as smtp_server.py takes them.
std::unique_ptr<ChildProcess> StartSmtpServer(const std::vector<std::string>& options = {});
// The scripted peer; `script` is its JSON script.
std::unique_ptr<ChildProcess> StartScriptedSmtp(const std::string& script);

// The peer's event lines until one equals `last` (included), or until 5 s pass without it.
std::vector<std::string> PeerEvents(ChildProcess& peer, const std::string& last);

// Hex of bytes, as the peers print what they receive.
std::string Hex(const std::string& bytes);

} // namespace qx::test
