#include "winapp2/winapp2_update.h"

#include "core/settings.h"
#include "core/text_util.h"
#include "core/version.h"
#include "ie/url_cache.h"
#include "platform/files.h"
#include "platform/http_download.h"
#include "winapp2/winapp2_catalog.h"
#include "winapp2/winapp2_update_rules.h"

std::string Winapp2UpdateAddress() {
  const std::string address = Trim(SettingsFile().ReadString("Winapp2", "UpdateAddress"));
  return address.empty() ? kWinapp2DefaultAddress : address;
}

Winapp2UpdateResult UpdateWinapp2File(const std::string& address) {
  Winapp2UpdateResult result;
  auto failed = [&](const std::string& why) {
    result.message = "Winapp2.ini was not updated: " + why + ".";
    return result;
  };
  if (!IsWinapp2UpdateAddress(address))
    return failed("\"" + address + "\" is not an http:// or https:// address");
  const HttpDownload download = DownloadUrl(Trim(address), std::string("Quorvane/") + kVersion);
  if (download.error) return failed("the download failed - " + WinInetErrorText(download.error));
  if (download.status != 200)
    return failed("the server answered " + std::to_string(download.status) +
                  (download.statusText.empty() ? "" : " " + download.statusText));
  if (!download.complete) return failed("the download ended early");
  const Winapp2Database fresh = ParseWinapp2(download.body);
  if (const std::string problem = Winapp2DownloadProblem(download.body, fresh); !problem.empty())
    return failed(problem);

  const std::string path = Winapp2FilePath();
  std::string old;
  const bool hadFile = ReadWholeFile(path, old);
  const Winapp2Database before = hadFile ? ParseWinapp2(old) : Winapp2Database{};
  // The same bytes again: the file in place is already the new one.
  if (!(hadFile && old == download.body) &&
      !(ForceDirectories(ExtractFilePath(path)) && WriteWholeFile(path, download.body)))
    return failed("it could not be written to " + path);
  Winapp2Changes changes = CompareWinapp2(before, fresh);
  result.replaced = true;
  result.message = Winapp2ChangeText(before, hadFile, fresh, changes);
  result.added = std::move(changes.added);
  result.removed = std::move(changes.removed);
  return result;
}
