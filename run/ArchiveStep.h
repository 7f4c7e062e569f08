#pragma once
// The last stretch of a run: pack the work folder into the password-protected archive,
// then read it back, test every entry and compare the count before the dispatch.
#include "session/OperatorInterface.h"
#include "session/Session.h"
#include "zip/ZipReader.h"
#include "zip/ZipWriter.h"

#include <functional>
#include <string>

namespace qx {

class ArchiveStep {
public:
    using Dispatch = std::function<void()>;

    // One per run: made when the work folder is filled, gone when the run ends.
    ArchiveStep(Session& session, OperatorInterface& ui) : session_(session), ui_(ui) {}

    // Counts and packs the work folder; the check (and, when every entry passed, `dispatch`)
    // runs inside the pack. Errors of the writer, the reader and the dispatch pass through.
    void run(const Dispatch& dispatch);

    // The writer's completion handler (Zipper1ZipComplete): read-back test, count comparison, dispatch, hiding the
    // bars.
    void OnArchiveWritten(int entriesWritten, const Dispatch& dispatch);

    // Where the archive stands once it is whole and has passed its check; the writer writes
    // it under a name of its own beside that place until then.
    const std::string& archivePath() const { return archivePath_; }
    zip::ZipWriter& writer() { return writer_; }
    zip::ZipReader& reader() { return reader_; }

private:
    void wireEvents(const Dispatch& dispatch);
    void putInPlace();

    Session& session_;
    OperatorInterface& ui_;
    zip::ZipWriter writer_;
    zip::ZipReader reader_;
    std::string archivePath_;
};

} // namespace qx
