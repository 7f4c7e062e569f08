// Any bytes as a signature, a public key and the signed information file: the check must
// refuse without a crash, and the size and hash keys of any text must read safely.
#include "platform/Signature.h"
#include "update/InformationFile.h"
#include "update/MakerSignature.h"
#include "update/UpdateDecision.h"
#include "update/VersionNumber.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string signature = bytes.substr(0, qx::platform::kP256SignatureBytes);
    std::string text = bytes.size() > signature.size() ? bytes.substr(signature.size()) : std::string();
    if (qx::update::IsSignedByMaker(text, signature))
        __builtin_trap(); // nobody without the maker's private key can get here
    qx::platform::VerifyP256Sha256(bytes.substr(0, qx::platform::kP256PublicKeyBytes), text, signature);

    qx::update::InformationFile file = qx::update::ReadInformationFile(qx::AnsiText(text));
    if (file.checks.size() != file.queue.size())
        __builtin_trap();
    for (const qx::update::FileCheck& check : file.checks)
        if (!check.sha256.empty() && check.sha256.size() != qx::platform::kSha256Bytes)
            __builtin_trap();
    qx::update::TargetFolders folders;
    folders.current = "/prog";
    qx::update::DecideUpdate(qx::AnsiText(text), qx::update::kOwnVersion, folders);
    return 0;
}
