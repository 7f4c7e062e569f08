#pragma once
// What the update shows the operator, in Slovenian, with the process's number format
// (decimal separator ",").
#include <cstdint>
#include <string>

namespace qx::update::texts {

// The program's title, as the component's dialogs name the program.
inline constexpr const char* kProgramTitle = "Priprava podatkov za prenos";

// The program's own question at start-up.
inline constexpr const char* kOfferTitle = "Nadgradnja programa";
inline constexpr const char* kOfferText = "Obstaja novejša verzija programa. \r\nAli naj nadgradim program?";

// The component's question dialog.
inline constexpr const char* kWizardCaption = "Čarovnik za nadgradnjo";
inline constexpr const char* kYesButton = "&Da";
inline constexpr const char* kLaterButton = "&Kasneje";
std::string UpgradeQuestion(const std::string& programTitle, const std::string& message);

// The wizard.
inline constexpr const char* kTitleDownloading = "Prenos podatkov...";
inline constexpr const char* kGroupCurrentFile = " Trenutna datoteka ";
inline constexpr const char* kGroupAllFiles = " Vse datoteke ";
inline constexpr const char* kPreparing = "Priprava. . .";
inline constexpr const char* kNextButton = "&Naprej >";
inline constexpr const char* kStopButton = "&Zaustavi";
inline constexpr const char* kTitleComplete = "Nadgradnja je končana!";
inline constexpr const char* kOkButton = "&V redu";
std::string FileSizeText(std::uint64_t bytes);
std::string TransferRateText(double bytesPerSecond);
std::string RemainingTimeText(std::int64_t seconds);
std::string FileCounterText(int current, int total);
std::string CompleteNote(const std::string& programTitle);

// Failures.
std::string MissingFileCaption(int status);
std::string MissingFileQuestion(const std::string& url);
inline constexpr const char* kConnectionLost =
    "Povezava s strežnikom je prekinjena.\n\nVzpostavite povezavo in poskusite\nponoviti nadgradnjo kasneje.";
inline constexpr const char* kCancelQuestion = "Nadgradnja še ni končana.\nŽelite prekiniti nadgradnjo?";
std::string FileNotWritable(const std::string& path);
inline constexpr const char* kUpgraderNotStarted = "Programa za nadgradnjo ni mogoče zagnati.";
// The replacement program, when a file could not be put in place and the old ones stay.
inline constexpr const char* kUpgradeNotCompleted =
    "Nadgradnja programa ni bila dokončana.\nNekaterih datotek ni bilo mogoče zamenjati, zato ostaja\n"
    "dosedanja verzija programa, ki se bo zdaj zagnala.";

} // namespace qx::update::texts
