// The start-up module of the screen saver: the entry procedure and its
// modes, the end of a show, the settings file and folders, the preview and
// the mailer invitation; and the module variables that the settings dialog
// shares. A show reaches the module through ShowHost.
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"
#include "saver/stage/host.h"

namespace Module1 {

// What a show asks of the module: the counts and pictures, the pace, and
// the end of the show.
class ShowHost : public stage::Host {
 public:
  std::string CountText(const std::string& key) override;
  std::string PicturesFolder() override;
  bool PasswordIsOurs() override;
  void WaitForTick(std::int32_t target) override;
  void CountMouseMove(stage::Garden& show) override;
  void EndShow(stage::Garden& show) override;
  void WarnAndEndShow(stage::Garden& show) override;
};
ShowHost& TheShowHost();

// ---- module variables --------------------------------------------------------

extern std::int16_t UsePassword;         // non-zero: ask for the password at the end
extern std::int32_t PlatformId;          // 2 = Windows NT family
extern std::int32_t PasswordParentHwnd;  // owner of the password-change dialog
extern std::int32_t LastApiResult;       // written, never read
extern win::OSVERSIONINFOA VersionInfo;
extern win::HWND TaskbarHwnd;
// Flower counts as the settings file keeps them.
extern std::string YellowCount, RedCount, RoseCount, WhiteCount;
// Mouse-move series.
extern std::int16_t MoveCount;
extern std::int32_t FirstMoveTime;
// Last invitation keys read.
extern std::string AppCurrent, AppAlert, AppDisplay;

// ---- start-up ----------------------------------------------------------------------

void Main(stage::Host& host = TheShowHost());
void StartShow(stage::Host& host);
void DetectPlatform();

// What Main would do for an argument text (for the tests of the dispatch).
enum class Mode { Settings, Password, Show, Preview };
Mode ModeOf(const std::string& argumentText);
// The handle of "/A": the raw text with its first two characters dropped,
// by the leading-number rule; 0 when it does not fit.
std::int32_t PasswordHandleOf(const std::string& argumentText);
// The handle of "/P": the raw text with its first three characters dropped;
// empty when the text is shorter than three characters or the number does
// not fit.
bool PreviewHandleOf(const std::string& argumentText, std::int32_t* handle);

// ---- settings file and folders ---------------------------------------------------------

std::string IniFilePath();
std::string DataFolderPath();
std::string MailerPath();
void ReadIniValue(const std::string& section, const std::string& key, std::string& value,
                  const std::string& file);
std::string ReadRegistryString(std::int32_t root, const std::string& subkey,
                               const std::string& valueName);
void WaitForTick(std::int32_t target);

// ---- ending a show ---------------------------------------------------------------------------

void CountMouseMove(stage::Garden& show);
void EndShow(stage::Garden& show);
void WarnAndEndShow(stage::Garden& show, const std::string& text);
// The missing-files warning: the fixed text and the maker's web address.
std::string MissingFilesText();

// ---- preview and invitation ------------------------------------------------------------------

void ShowPreview();
bool MailerInviteDue();
bool IsConnected();
// At the end of a show: when the invitation is due and the computer is online,
// starts the mailer and records that it was offered.
void OfferMailer();
std::int32_t ShellOpen(const std::string& address);

}  // namespace Module1
