// Start-up: the gate that decides whether the program starts, the reseller
// (OEM) record, and the heartbeat file.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumaro {

// The program's entry point; opens at most one window (update or login).
void Main();

// How Main opens its two windows (modeless), and how the login window opens
// a console after a successful sign-in. The executable points them at the
// login and update windows and at the two consoles; tests point them at
// recorders.
struct StartupWindows {
  std::function<void()> showLogin;
  std::function<void()> showUpdate;
  std::function<void()> showMemberConsole;
  std::function<void()> showAgentConsole;
};
StartupWindows& StartupOpeners();

// Whether a build of `edition` opens the agent console after a sign-in:
// the administrator's (1) and the agent's (4) builds do.
bool SignInOpensAgentConsole(int edition);

// Opens the console of this build's edition after a successful sign-in: the
// agent console in the administrator's and agent's builds, the member
// console in every other one.
void ShowConsoleAfterSignIn();

// Writes the current local date and time into "share.txt".
void WriteShareLog();

// "1-51" for version 1.0.51: major, "-", revision.
std::string VersionText();

// Caption label of an edition ("V6.0" for 2), "" for an unknown edition.
std::string EditionLabel(int edition);

// OEM record field that holds an edition's support number (1, 2 or 3 for
// editions 2, 3 and 4); -1 when the edition has none.
int EditionSupportField(int edition);

// Exact, case-sensitive split that keeps empty fields.
std::vector<std::string> SplitText(const std::string& text, const std::string& separator);

// Field 5 of the OEM record as a whole number: its leading number
// (ReadLeadingNumber), rounded half to even; a value that does not fit 32
// bits, or is too large to read, gives 0.
int32_t ReadUnitPrice(const std::string& field);

// What Main takes from the OEM record (the reply of GetOEM.asp, fields split
// on "@@@"): each value is there only when the record has its field.
struct OemRecord {
  std::optional<std::string> code;       // field 4
  std::optional<int32_t> unitPrice;      // field 5, read by ReadUnitPrice
  std::optional<std::string> supportQQ;  // the edition's support field
};
OemRecord ReadOemRecord(const std::string& record, int edition);

// The line that WriteShareLog writes (without CR LF), in the general date
// format: short date, a space, long time; no time part at exactly midnight.
std::string GeneralDateText(const std::tm& t);

// Full paths of the two files the program keeps.
std::string IniFilePath();
std::string ShareFilePath();

}  // namespace lumaro
