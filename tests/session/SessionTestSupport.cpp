#include "SessionTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "content/Document.h"

namespace lumavox::test {

bool RecordingHost::sawStatus(const std::string& s) const {
    for (auto& x : statuses)
        if (x.find(s) != std::string::npos) return true;
    return false;
}

WorkArea demoDocument() {
    auto path = std::filesystem::temp_directory_path() /
                ("lvx-session-demo-" + std::to_string(::getpid()) + ".glm");
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"demo", path.string()}, out, err), 0) << err.str();
    OpenResult r = openDocument(path, {});
    EXPECT_TRUE(r.ok) << r.error;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return r.work;
}

SessionConfig tcpConfig(const Signsim& sim, const std::string& addresses) {
    SessionConfig c;
    c.route = Route::Tcp;
    c.groupName = "G";
    c.groupAddresses = "127.0.0.1";
    c.link.tcpPort = sim.port();
    c.link.address = addresses;
    c.alwaysDisplay = false;
    c.link.lanTimeoutMs = 2000;
    c.settleMs = 0;
    return c;
}

}  // namespace lumavox::test
