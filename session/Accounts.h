#pragma once
// The FTP and mail accounts, fetched from the service before each use.
#include <cstdint>
#include <string>

namespace qx {

struct TFTPdata {
    std::string prijava;  // user name
    std::string geslo;    // password
    std::string streznik; // host; empty means no FTP account is known
    std::string vrata;    // control port as decimal text
    std::string root;     // base folder on the server; may be empty
};

struct TSMTPdata {
    std::string prijava;
    std::string geslo;
    std::string streznik;
    std::string vrata;
    std::int32_t sifriranje = 0; // TLS mode code
    std::int32_t ssl = 0;        // TLS version code
};

} // namespace qx
