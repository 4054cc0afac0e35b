#include "winapp2/winapp2_update.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/http_download.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"
#include "winapp2/winapp2_catalog.h"

namespace {
using Names = std::vector<std::string>;

// Python's HTTP server on 127.0.0.1 serving a folder, on a port of its choosing that it writes
// beside the files. "/short" answers with a Content-Length the body falls short of, as a
// connection dropped midway does. It ends on "/stop", and by itself after two minutes so that
// a test ended early leaves nothing running.
constexpr const char* kServer = R"(import http.server, os, sys, threading
root = sys.argv[1]
class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *a, **k): super().__init__(*a, directory=root, **k)
    def log_message(self, *a): pass
    def do_GET(self):
        if self.path == "/stop":
            self.send_response(200); self.end_headers()
            threading.Thread(target=server.shutdown).start()
        elif self.path == "/short":
            body = open(os.path.join(root, "v2.ini"), "rb").read()
            self.send_response(200); self.send_header("Content-Length", str(len(body) + 5000))
            self.end_headers(); self.wfile.write(body[: len(body) // 2])
        else:
            super().do_GET()
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
timer = threading.Timer(120, server.shutdown); timer.daemon = True; timer.start()
open(os.path.join(root, "port.tmp"), "w").write(str(server.server_address[1]))
os.rename(os.path.join(root, "port.tmp"), os.path.join(root, "port"))
server.serve_forever()
)";

class LocalServer {
 public:
  LocalServer() {
    WriteFileText(folder_.File("server.py"), kServer);
    if (!StartUnixProgram("Z:\\usr\\bin\\python3", "python3 \"" + UnixNameOf(folder_.File("server.py")) +
                                                      "\" \"" + UnixNameOf(folder_.Path()) + "\""))
      return;
    for (int i = 0; i < 1000 && port_.empty(); ++i, Sleep(10))
      if (FileExists(folder_.File("port"))) port_ = ReadFileText(folder_.File("port"));
  }
  ~LocalServer() {
    if (!port_.empty()) DownloadUrl(Address("stop"), "test");
  }
  bool Running() const { return !port_.empty(); }
  std::string Address(const std::string& name) const {
    return "http://127.0.0.1:" + port_ + "/" + name;
  }
  void Serve(const std::string& name, const std::string& text) const {
    WriteFileText(folder_.File(name), text);
  }

 private:
  TempFolder folder_;
  std::string port_;
};

std::string Entry(const std::string& name) {
  return "[" + name + " *]\r\nLangSecRef=3021\r\nFileKey1=%AppData%\\" + name + "|*.log\r\n\r\n";
}

// Each row runs against what the rows before it left in the data folder.
TEST(Winapp2UpdateTest, ReplacesOnlyWithAFileThatParsesAndSaysWhatChanged) {
  ScopedDataFolder data;
  LocalServer server;
  ASSERT_TRUE(server.Running());
  const std::string v1 = "; Version: 1\r\n" + Entry("Alpha") + Entry("Beta") + Entry("Gamma");
  const std::string v2 = "\xEF\xBB\xBF; Version: 2\n" + Entry("Alpha") + Entry("Gamma") +
                         Entry("Delta") + Entry("Epsilon");
  std::string notes = "[Read me]\r\n";
  for (int i = 0; i < 20; ++i) notes += "This file is the list of changes of release " + std::to_string(i) + ".\r\n";
  server.Serve("v1.ini", v1);
  server.Serve("v2.ini", v2);
  server.Serve("page.ini", "<!DOCTYPE html>\n<html><body>[Moved]\nLangSecRef=1</body></html>\n");
  server.Serve("empty.ini", "\r\n");
  server.Serve("notes.ini", notes);
  server.Serve("nothing.ini", "; Version: 3\r\n; no entries yet\r\n");
  const std::string real = ReadFileText(BinFolder() + "\\fixtures\\Winapp2.ini");
  server.Serve("real.ini", real);

  struct Row {
    std::string address;
    bool replaced;
    size_t addedCount;
    Names added, removed;  // `added`: names among what was added
    std::string says;
    const std::string& fileAfter;
  } rows[] = {
      {server.Address("v1.ini"), true, 3, {"Alpha", "Beta", "Gamma"}, {}, "downloaded (version 1): 3 entries", v1},
      {server.Address("v2.ini"), true, 2, {"Delta", "Epsilon"}, {"Beta"}, "(version 2): 4 entries, 3 before; 2 added, 1 removed", v2},
      {server.Address("missing.ini"), false, 0, {}, {}, "the server answered 404", v2},
      {server.Address("page.ini"), false, 0, {}, {}, "a web page", v2},
      {server.Address("empty.ini"), false, 0, {}, {}, "an empty file", v2},
      {server.Address("notes.ini"), false, 0, {}, {}, "most of the file cannot be read", v2},
      {server.Address("nothing.ini"), false, 0, {}, {}, "no cleaning entry", v2},
      {server.Address("short"), false, 0, {}, {}, "ended early", v2},
      {"http://127.0.0.1:1/Winapp2.ini", false, 0, {}, {}, "the download failed - ", v2},
      {"file://C:/windows/win.ini", false, 0, {}, {}, "not an http:// or https:// address", v2},
      {server.Address("v2.ini"), true, 0, {}, {}, "no entry added or removed", v2},
      {server.Address("real.ini"), true, 4067, {"Google Chrome Bookmark Backups"}, {"Alpha", "Gamma", "Delta", "Epsilon"}, "(version 260730): 4067 entries, 4 before", real},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address);
    const Winapp2UpdateResult r = UpdateWinapp2File(row.address);
    EXPECT_EQ(r.replaced, row.replaced) << r.message;
    EXPECT_NE(r.message.find(row.says), std::string::npos) << r.message;
    EXPECT_EQ(r.removed, row.removed);
    EXPECT_EQ(r.added.size(), row.addedCount);
    for (const std::string& name : row.added)
      EXPECT_NE(std::find(r.added.begin(), r.added.end(), name), r.added.end()) << name;
    EXPECT_TRUE(ReadFileText(Winapp2FilePath()) == row.fileAfter);
  }
  // The replacement leaves no temporary file beside it.
  EXPECT_EQ(FilesBelow(data.Path()), 1);
}

TEST(Winapp2UpdateTest, AddressComesFromTheSettingsFileOrIsTheProjects) {
  ScopedDataFolder data;
  const std::string own = "http://127.0.0.1:8000/mirror/Winapp2.ini";
  const struct {
    std::string settings, address;
  } rows[] = {
      {"", kWinapp2DefaultAddress},
      {"[Winapp2]\r\nUpdateAddress=" + own + "\r\n", own},
      {"[Winapp2]\r\nUpdateAddress=  \r\n", kWinapp2DefaultAddress},
      {"[Other]\r\nUpdateAddress=" + own + "\r\n", kWinapp2DefaultAddress},
  };
  for (const auto& row : rows) {
    WriteFileText(data.SettingsPath(), row.settings);
    EXPECT_EQ(Winapp2UpdateAddress(), row.address) << row.settings;
  }
}
}  // namespace
