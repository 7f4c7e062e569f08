#include "update/UpgradeSteps.h"

#include "update/UpgradeTexts.h"

namespace qx::update {

int TotalPercentAtStart(int number, int count) {
    return (number - 1) * 100 / (count > 0 ? count : 1);
}

FileProgressView FileProgressOf(int number, int count, std::optional<std::uint64_t> announcedSize,
                                std::uint64_t received, double seconds) {
    const int files = count > 0 ? count : 1;
    FileProgressView view;
    view.filePercent = announcedSize && *announcedSize > 0 ? static_cast<int>(received * 100 / *announcedSize) : 0;
    view.totalPercent = view.filePercent / files + TotalPercentAtStart(number, files);
    if (seconds <= 0.0)
        return view;
    const double rate = static_cast<double>(received) / seconds;
    view.rate = texts::TransferRateText(rate);
    if (announcedSize && rate > 0.0 && *announcedSize >= received)
        view.remaining =
            texts::RemainingTimeText(static_cast<std::int64_t>(static_cast<double>(*announcedSize - received) / rate));
    return view;
}

AfterFile StepAfterFile(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::Complete:
        return AfterFile::Next;
    case TransferOutcome::ErrorStatus:
        return AfterFile::AskToSkip;
    case TransferOutcome::BrokenOff:
    case TransferOutcome::TooLarge:
        return AfterFile::ConnectionLost;
    case TransferOutcome::WriteFailed:
        return AfterFile::NotWritable;
    case TransferOutcome::NoAnswer:
    case TransferOutcome::Unsigned:
    case TransferOutcome::Cancelled:
        return AfterFile::Stop;
    }
    return AfterFile::Stop;
}

} // namespace qx::update
